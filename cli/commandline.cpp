#include "cli/commandline.h"

#include "core/nativename.h"

#include <QCommandLineParser>

#include <array>

namespace {

struct ValueOption {
    QLatin1StringView shortName;
    QLatin1StringView longName;
};

constexpr std::array valueOptions{
        ValueOption{QLatin1StringView("-d"), QLatin1StringView("delimiter")},
        ValueOption{QLatin1StringView("-o"), QLatin1StringView("output-dir")},
        ValueOption{QLatin1StringView("-e"), QLatin1StringView("extension")},
        ValueOption{QLatin1StringView("-j"), QLatin1StringView("jobs")},
        ValueOption{QLatin1StringView("--files-from"), QLatin1StringView("files-from")},
        ValueOption{QLatin1StringView("--shard"), QLatin1StringView("shard")},
        ValueOption{QLatin1StringView(), QLatin1StringView("eol")},
        ValueOption{QLatin1StringView(), QLatin1StringView("error-format")},
};

// QCommandLineParser reads "-d --" as an option without a value followed by the end of the
// options, and "-d -x" as two options. Joining every separate value to its option as
// "--name=value" makes the parser take it as it is.
QStringList joinOptionValues(const QStringList &arguments)
{
    QStringList joined = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            joined << arguments.mid(i);
            break;
        }
        const auto option
                = std::find_if(valueOptions.begin(), valueOptions.end(), [&](const auto &o) {
                      return (!o.shortName.isEmpty() && argument == o.shortName)
                              || argument == QLatin1String("--") + o.longName;
                  });
        if (option != valueOptions.end() && i + 1 < arguments.size()) {
            joined << QLatin1String("--") + option->longName + u'=' + arguments[++i];
            continue;
        }
        // The parser knows no optional values: "--quote=all" becomes an option of its own.
        joined << (argument == QLatin1String("--quote=all") ? QStringLiteral("--quote-all")
                                                            : argument);
    }
    return joined;
}

const QString usageLine = QStringLiteral("Usage: quillmere-cli [options] PATH...");

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments, int defaultJobs)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Converts XML files into delimited text: one line per value, led by "
                           "the names of the elements above it."));
    const QCommandLineOption delimiter(
            {QStringLiteral("d"), QStringLiteral("delimiter")},
            QStringLiteral("Field delimiter, taken verbatim (default \",\")."),
            QStringLiteral("TEXT"));
    const QCommandLineOption tab(QStringLiteral("tab"),
                                 QStringLiteral("Use a tab as the delimiter."));
    const QCommandLineOption outputDir(
            {QStringLiteral("o"), QStringLiteral("output-dir")},
            QStringLiteral("Write every result into DIR (default: beside each source)."),
            QStringLiteral("DIR"));
    const QCommandLineOption tree(
            QStringLiteral("tree"),
            QStringLiteral("With -o: each result goes into the folder below DIR that mirrors "
                           "its input's folder below the PATH it was found in."));
    const QCommandLineOption extension(
            {QStringLiteral("e"), QStringLiteral("extension")},
            QStringLiteral(
                    "Extension of the files taken from folders (default xml; * for every file)."),
            QStringLiteral("EXT"));
    const QCommandLineOption toStdout(
            QStringLiteral("stdout"),
            QStringLiteral("Write the result of the single input to standard output as it is "
                           "made. On a document that is not well-formed, what was written "
                           "before the fault stays written (exit status 1)."));
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")},
                                  QStringLiteral("Files converted in parallel (default: the "
                                                 "number of cores)."),
                                  QStringLiteral("N"));
    const QCommandLineOption dryRun(
            {QStringLiteral("n"), QStringLiteral("dry-run")},
            QStringLiteral("Print the input files in conversion order; convert nothing."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print errors only: no progress, no summary."));
    const QCommandLineOption update(
            {QStringLiteral("u"), QStringLiteral("update")},
            QStringLiteral("Convert only inputs whose result is missing or older than the input."));
    const QCommandLineOption filesFrom(
            QStringLiteral("files-from"),
            QStringLiteral("Read more paths from FILE, one a line (- reads standard input)."),
            QStringLiteral("FILE"));
    const QCommandLineOption nulSeparated(
            QStringLiteral("0"),
            QStringLiteral("Paths in the --files-from list, and those printed by --dry-run, "
                           "are separated by NUL instead of line breaks."));
    const QCommandLineOption shard(
            QStringLiteral("shard"),
            QStringLiteral("Convert only part K of N (1 <= K <= N); the N parts together "
                           "convert every file once."),
            QStringLiteral("K/N"));
    const QCommandLineOption quote(
            QStringLiteral("quote"),
            QStringLiteral("Enclose in double quotes every field (element name or value) that "
                           "holds the delimiter or any of its characters, a double quote, CR or "
                           "LF, doubling the quotes inside; names are then kept whole. "
                           "--quote=all quotes every field."));
    QCommandLineOption quoteAll(QStringLiteral("quote-all"));
    quoteAll.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption bom(QStringLiteral("bom"),
                                 QStringLiteral("Start each result with the UTF-8 byte-order "
                                                "mark, which spreadsheet programs look for."));
    const QCommandLineOption eol(QStringLiteral("eol"),
                                 QStringLiteral("Line ends: crlf (default) or lf."),
                                 QStringLiteral("crlf|lf"));
    const QCommandLineOption attributes(
            QStringLiteral("attributes"),
            QStringLiteral("Give each attribute a line of its own, right after its element "
                           "starts: the element's path, @name, the value."));
    const QCommandLineOption spreadsheet(
            QStringLiteral("spreadsheet"),
            QStringLiteral("For a spreadsheet: --quote=all --bom with CR LF, and a field that a "
                           "spreadsheet would run as a formula (starting with =, +, -, @, a tab "
                           "or CR) written with a single quote before it, so that it opens as "
                           "text. This changes those values."));
    const QCommandLineOption errorFormat(
            QStringLiteral("error-format"),
            QStringLiteral("gnu: report each failure as one line FILE:LINE:COLUMN: error: "
                           "REASON."),
            QStringLiteral("gnu"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    parser.addOptions({delimiter,   tab,         outputDir, tree,   extension, toStdout,
                       jobs,        dryRun,      quiet,     update, filesFrom, nulSeparated,
                       shard,       quote,       quoteAll,  bom,    eol,       attributes,
                       spreadsheet, errorFormat, help,      version});
    parser.addPositionalArgument(
            QStringLiteral("PATH"),
            QStringLiteral("XML file or folder to convert; - reads standard input and writes "
                           "standard output."),
            QStringLiteral("PATH..."));

    ParsedCommandLine result;
    const auto usageError = [&result](const QString &message) {
        result.action = ParsedCommandLine::Action::UsageError;
        result.text = message;
        return result;
    };

    if (!parser.parse(joinOptionValues(arguments)))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // The parser names the running executable, which in tests is not this program.
        text.replace(0, text.indexOf(u'\n'), usageLine);
        text += QStringLiteral(
                "\nExit status:\n"
                "  0      every input converted\n"
                "  1      a file could not be converted, or a folder below a PATH could not be\n"
                "         searched\n"
                "  2      a usage error\n"
                "  3      this machine cannot work, and nothing is converted: a PATH is missing,\n"
                "         unreadable or a folder without a matching file, the -o folder is\n"
                "         missing or the --files-from list cannot be read\n"
                "  128+N  ended by signal N (130 for Ctrl+C, 143 for SIGTERM, 141 when the\n"
                "         reader of standard output is gone); no unfinished result is left\n");
        result.action = ParsedCommandLine::Action::Help;
        result.text = text;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = ParsedCommandLine::Action::Version;
        result.text = QStringLiteral("quillmere-cli " QUILLMERE_VERSION);
        return result;
    }

    CliOptions &options = result.options;
    options.paths = parser.positionalArguments();
    options.filesFrom = parser.value(filesFrom);
    if (parser.isSet(filesFrom) && options.filesFrom.isEmpty())
        return usageError(QStringLiteral("--files-from needs a file"));
    if (options.paths.isEmpty() && options.filesFrom.isEmpty())
        return usageError(QStringLiteral("no PATH given"));
    if (options.filesFrom == QLatin1String("-") && options.paths.contains(QStringLiteral("-")))
        return usageError(QStringLiteral("standard input (-) can be read only once"));
    options.nulSeparated = parser.isSet(nulSeparated);
    if (parser.isSet(shard)) {
        options.shard = parseShard(parser.value(shard));
        if (!options.shard)
            return usageError(QStringLiteral("--shard needs K/N with 1 <= K <= N, not \"")
                              + parser.value(shard) + u'"');
    }

    if (parser.isSet(tab) && parser.isSet(delimiter))
        return usageError(QStringLiteral("--tab and --delimiter cannot be used together"));
    if (parser.isSet(tab))
        options.delimiter = QStringLiteral("\t");
    else if (parser.isSet(delimiter))
        options.delimiter = parser.value(delimiter);
    if (options.delimiter.isEmpty())
        return usageError(QStringLiteral("the delimiter must not be empty"));
    if (hasStrayBytes(options.delimiter))
        return usageError(QStringLiteral("the delimiter is not valid UTF-8"));

    if (parser.isSet(extension)) {
        options.extension = parser.value(extension);
        if (options.extension.startsWith(u'.'))
            options.extension.remove(0, 1);
        if (options.extension.isEmpty())
            return usageError(QStringLiteral("the extension must not be empty"));
    }

    options.jobs = defaultJobs;
    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1)
            return usageError(QStringLiteral("--jobs needs a whole number of at least 1, not \"")
                              + parser.value(jobs) + u'"');
    }

    if (parser.isSet(outputDir)) {
        options.outputDir = parser.value(outputDir);
        if (options.outputDir.isEmpty())
            return usageError(QStringLiteral("--output-dir needs a folder"));
    }
    options.tree = parser.isSet(tree);
    if (options.tree && options.outputDir.isEmpty())
        return usageError(QStringLiteral("--tree needs --output-dir"));
    options.toStdout = parser.isSet(toStdout);
    if (options.toStdout && !options.outputDir.isEmpty())
        return usageError(QStringLiteral("--stdout and --output-dir cannot be used together"));
    if (options.paths.count(QStringLiteral("-")) > 1)
        return usageError(QStringLiteral("standard input (-) can be read only once"));
    // A part is chosen by its output file; standard output is not one.
    const bool writesStandardOutput
            = options.toStdout || options.paths.contains(QStringLiteral("-"));
    if (options.shard && writesStandardOutput)
        return usageError(QStringLiteral("--shard needs results written to files, not to "
                                         "standard output"));
    options.update = parser.isSet(update);
    if (options.update && writesStandardOutput)
        return usageError(QStringLiteral("--update needs results written to files, not to "
                                         "standard output"));

    if (parser.isSet(quoteAll))
        options.quoting = CsvFormat::Quoting::All;
    else if (parser.isSet(quote))
        options.quoting = CsvFormat::Quoting::Needed;
    options.byteOrderMark = parser.isSet(bom);
    options.attributes = parser.isSet(attributes);
    if (parser.isSet(eol)) {
        const QString value = parser.value(eol);
        if (value != QLatin1String("crlf") && value != QLatin1String("lf"))
            return usageError(QStringLiteral("--eol takes crlf or lf, not \"") + value + u'"');
        options.crlf = value == QLatin1String("crlf");
    }
    if (parser.isSet(spreadsheet)) {
        if (parser.isSet(quote) || (parser.isSet(eol) && !options.crlf))
            return usageError(QStringLiteral("--spreadsheet quotes every field and ends lines "
                                             "with CR LF; leave out --quote and --eol lf"));
        options.quoting = CsvFormat::Quoting::All;
        options.byteOrderMark = true;
        options.formulasAsText = true;
    }
    if (parser.isSet(errorFormat)) {
        if (parser.value(errorFormat) != QLatin1String("gnu"))
            return usageError(QStringLiteral("--error-format takes gnu, not \"")
                              + parser.value(errorFormat) + u'"');
        options.gnuErrors = true;
    }

    options.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    return result;
}
