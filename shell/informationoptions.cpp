#include "shell/informationoptions.h"

std::optional<QString> informationAnswer(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return QStringLiteral(
                    "Usage: quillmere [options] [PATH...]\n"
                    "Converts XML files into delimited text (\"CSV\") in a window;\n"
                    "quillmere-cli does the same without one.\n"
                    "\n"
                    "Options:\n"
                    "  -h, --help     Show this help.\n"
                    "  -v, --version  Show the version.\n"
                    "\n"
                    "Arguments:\n"
                    "  PATH           An XML file to add to the list, or a folder whose\n"
                    "                 XML files (and those of its subfolders) to add.\n");
        }
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return QStringLiteral("quillmere " QUILLMERE_VERSION "\n");
    }
    return std::nullopt;
}
