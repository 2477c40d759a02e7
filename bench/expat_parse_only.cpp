// The baseline for the benchmark: Expat parsing the files with no handlers set, reading them in
// blocks of the same size as the converter does. Prints nothing on success.
//
//     expat_parse_only [--read-size BYTES] FILE...

#include <expat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool parseFile(const char *path, int readSize)
{
    const int fd = open(path, O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "%s: %s\n", path, std::strerror(errno));
        return false;
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
#ifndef PARSE_ONLY_WITHOUT_DEFERRAL
    // As in the converter, which parses every read at once. (An Expat without the switch
    // parses every read at once anyway.)
    XML_SetReparseDeferralEnabled(parser, XML_FALSE);
#endif
    bool ok = true;
    for (;;) {
        // Reading straight into Expat's own buffer spares the copy XML_Parse would make.
        void *buffer = XML_GetBuffer(parser, readSize);
        if (buffer == nullptr) {
            std::fprintf(stderr, "%s: out of memory\n", path);
            ok = false;
            break;
        }
        const ssize_t got = read(fd, buffer, static_cast<size_t>(readSize));
        if (got < 0) {
            std::fprintf(stderr, "%s: %s\n", path, std::strerror(errno));
            ok = false;
            break;
        }
        if (XML_ParseBuffer(parser, static_cast<int>(got), got == 0) == XML_STATUS_ERROR) {
            std::fprintf(stderr, "%s:%lu:%lu: %s\n", path, XML_GetCurrentLineNumber(parser),
                         XML_GetCurrentColumnNumber(parser) + 1,
                         XML_ErrorString(XML_GetErrorCode(parser)));
            ok = false;
            break;
        }
        if (got == 0)
            break;
    }
    XML_ParserFree(parser);
    close(fd);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    int readSize = 256 * 1024; // the converter's read size
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--read-size") == 0) {
        readSize = std::atoi(argv[2]);
        first = 3;
    }
    if (first >= argc || readSize <= 0) {
        std::fprintf(stderr, "usage: expat_parse_only [--read-size BYTES] FILE...\n");
        return 2;
    }
    bool ok = true;
    for (int i = first; i < argc; ++i)
        ok = parseFile(argv[i], readSize) && ok;
    return ok ? 0 : 1;
}
