#include "conversion/flatten.h"

#include "conversion/encoding/documentinput.h"
#include "conversion/encoding/legacyencodings.h"
#include "conversion/walk/flattenwalk.h"
#include "conversion/walk/longcomment.h"
#include "conversion/walk/outputbuffer.h"
#include "core/failure.h"

#include <QIODevice>
#include <QRandomGenerator>

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// Never a byte of the parser's UTF-8 names, so a namespace name cannot hold it.
constexpr XML_Char namespaceSeparator = '\xFF';

// Reads start small enough to stay in the cache. A chunk that completes no event is part of a
// huge token, which the parser scans again from its start on every chunk: larger reads keep
// that linear.
constexpr int baseReadSize = 256 * 1024;
constexpr int sequentialReadSize = 32 * 1024;
constexpr int maxReadSize = 64 * 1024 * 1024;
// Without the walk there are no events to count, so every chunk looks like part of a huge
// token; a lower cap keeps the memory of a plain check modest.
constexpr int maxCheckReadSize = 4 * 1024 * 1024;

struct Parse {
    XML_Parser parser = nullptr;
    FlattenWalk *walk = nullptr;
    const DocumentInput *document = nullptr;
    bool attributes = false;
    // Set when an external subset or parameter entity was declined.
    bool outsideDeclarationsSkipped = false;
    LegacyEncodings encodings;
    LongComment comments;

    // Set when a handler stopped the parser.
    bool stopped = false;
    bool walkFailed = false;
    QString reason;
    XML_Size line = 0;
    XML_Size column = 0;
    int step = 0;

    void stopWithError(QString why)
    {
        stopped = true;
        reason = std::move(why);
        line = XML_GetCurrentLineNumber(parser);
        column = comments.column(line, XML_GetCurrentColumnNumber(parser));
        XML_StopParser(parser, XML_FALSE);
    }

    // Called from a catch block in a handler: no exception may cross the parser's C frames.
    void stopWithFailure() noexcept
    {
        stopped = true;
        walkFailed = true;
        step = walk ? walk->step() : FlattenWalk::TakeChild;
        try {
            reason = describeCurrentException();
        } catch (...) {
            reason = QStringLiteral("Out of memory");
        }
        XML_StopParser(parser, XML_FALSE);
    }
};

Parse &parseOf(void *userData)
{
    return *static_cast<Parse *>(userData);
}

// The parser gives names as "namespace<sep>local<sep>prefix"; the output keeps the name as
// written, "prefix:local".
inline void splitName(const XML_Char *name, std::string_view *prefix, std::string_view *localName)
{
    // One pass over the name finds both separators and its end; names are short.
    const char *separators[2] = {nullptr, nullptr};
    int found = 0;
    const char *end = name;
    for (; *end; ++end) {
        if (*end == namespaceSeparator && found < 2)
            separators[found++] = end;
    }
    if (found == 0) {
        *prefix = {};
        *localName = std::string_view(name, static_cast<std::size_t>(end - name));
    } else if (found == 1) {
        *prefix = {};
        *localName = std::string_view(separators[0] + 1,
                                      static_cast<std::size_t>(end - separators[0] - 1));
    } else {
        *prefix = std::string_view(separators[1] + 1,
                                   static_cast<std::size_t>(end - separators[1] - 1));
        *localName = std::string_view(separators[0] + 1,
                                      static_cast<std::size_t>(separators[1] - separators[0] - 1));
    }
}

// Namespace declarations never reach here: the parser takes them as declarations.
void reportAttributes(FlattenWalk &walk, const XML_Char **attributes)
{
    for (const XML_Char **attribute = attributes; *attribute; attribute += 2) {
        std::string_view prefix;
        std::string_view localName;
        splitName(attribute[0], &prefix, &localName);
        walk.attribute(prefix, localName, attribute[1]);
    }
}

void XMLCALL onStartElement(void *userData, const XML_Char *name, const XML_Char **attributes)
{
    Parse &parse = parseOf(userData);
    try {
        std::string_view prefix;
        std::string_view localName;
        splitName(name, &prefix, &localName);
        parse.walk->startElement(prefix, localName);
        if (parse.attributes)
            reportAttributes(*parse.walk, attributes);
    } catch (...) {
        parse.stopWithFailure();
    }
}

void XMLCALL onEndElement(void *userData, const XML_Char *)
{
    Parse &parse = parseOf(userData);
    try {
        parse.walk->endElement();
    } catch (...) {
        parse.stopWithFailure();
    }
}

void XMLCALL onCharacters(void *userData, const XML_Char *data, int size)
{
    Parse &parse = parseOf(userData);
    try {
        parse.walk->characters(data, static_cast<std::size_t>(size));
    } catch (...) {
        parse.stopWithFailure();
    }
}

void XMLCALL onStartCdata(void *userData)
{
    Parse &parse = parseOf(userData);
    try {
        parse.walk->startCdata();
    } catch (...) {
        parse.stopWithFailure();
    }
}

void XMLCALL onEndCdata(void *userData)
{
    Parse &parse = parseOf(userData);
    try {
        parse.walk->endCdata();
    } catch (...) {
        parse.stopWithFailure();
    }
}

void XMLCALL onComment(void *userData, const XML_Char *text)
{
    Parse &parse = parseOf(userData);
    try {
        FlattenWalk &walk = *parse.walk;
        const LongComment::Part part = parse.comments.reported();
        if (part == LongComment::Part::Whole) {
            walk.comment(text);
            return;
        }
        if (part == LongComment::Part::First)
            walk.beginComment();
        walk.commentText(text, std::strlen(text));
        if (part == LongComment::Part::Last)
            walk.endComment();
    } catch (...) {
        parse.stopWithFailure();
    }
}

void XMLCALL onProcessingInstruction(void *userData, const XML_Char *target, const XML_Char *data)
{
    Parse &parse = parseOf(userData);
    try {
        parse.walk->processingInstruction(target,
                                          data ? std::string_view(data) : std::string_view());
    } catch (...) {
        parse.stopWithFailure();
    }
}

// Without a declaration the text of a reference cannot be known; dropping it silently would
// lose data, so it ends the parse like an undefined entity.
void XMLCALL onSkippedEntity(void *userData, const XML_Char *name, int isParameterEntity)
{
    if (isParameterEntity)
        return;
    Parse &parse = parseOf(userData);
    try {
        QString reason = QStringLiteral("undefined entity \"%1\"").arg(QString::fromUtf8(name));
        if (parse.outsideDeclarationsSkipped)
            reason += QStringLiteral(" (declarations outside the document are not read)");
        parse.stopWithError(std::move(reason));
    } catch (...) {
        parse.stopWithFailure();
    }
}

// The byte-order mark has decided the encoding; a declaration of another one is an error, placed
// at the mark.
void XMLCALL onXmlDeclaration(void *userData, const XML_Char *, const XML_Char *encoding, int)
{
    if (!encoding)
        return;
    Parse &parse = parseOf(userData);
    try {
        QString conflict = parse.document->declarationConflict(QByteArray(encoding));
        if (conflict.isEmpty())
            return;
        parse.stopWithError(std::move(conflict));
        parse.line = 1;
        parse.column = 0;
    } catch (...) {
        parse.stopWithFailure();
    }
}

// External entities are never read. The external subset and external parameter entities
// (which the parser announces without a context) are declined, as a non-validating parser may:
// declarations after them are then ignored and their references reported as undefined. A
// reference to an external general entity ends the parse.
int XMLCALL onExternalEntity(XML_Parser parser, const XML_Char *context, const XML_Char *,
                             const XML_Char *systemId, const XML_Char *)
{
    Parse &parse = parseOf(XML_GetUserData(parser));
    if (!context) {
        parse.outsideDeclarationsSkipped = true;
        return XML_STATUS_OK;
    }
    try {
        parse.stopped = true;
        parse.reason = QStringLiteral("external entity \"%1\" is not read")
                               .arg(QString::fromUtf8(systemId ? systemId : ""));
        parse.line = XML_GetCurrentLineNumber(parser);
        parse.column = parse.comments.column(parse.line, XML_GetCurrentColumnNumber(parser));
    } catch (...) {
        parse.stopWithFailure();
    }
    return XML_STATUS_ERROR;
}

class ParserHandle {
public:
    ParserHandle() : m_parser(XML_ParserCreateNS(nullptr, namespaceSeparator))
    {
        // The parser's hash tables are salted from a generator seeded once per process, which
        // spares a getrandom call per document.
        if (m_parser)
            XML_SetHashSalt(m_parser, QRandomGenerator::global()->generate64() | 1);
    }
    ~ParserHandle()
    {
        if (m_parser)
            XML_ParserFree(m_parser);
    }
    ParserHandle(const ParserHandle &) = delete;
    ParserHandle &operator=(const ParserHandle &) = delete;
    XML_Parser get() const { return m_parser; }

private:
    XML_Parser m_parser;
};

void setWalkHandlers(XML_Parser parser, bool on)
{
    XML_SetElementHandler(parser, on ? onStartElement : nullptr, on ? onEndElement : nullptr);
    XML_SetCharacterDataHandler(parser, on ? onCharacters : nullptr);
    XML_SetCdataSectionHandler(parser, on ? onStartCdata : nullptr, on ? onEndCdata : nullptr);
    XML_SetCommentHandler(parser, on ? onComment : nullptr);
    XML_SetProcessingInstructionHandler(parser, on ? onProcessingInstruction : nullptr);
}

// Fills data unless the input ends first, so that a pipe handing out small pieces still makes
// full chunks (a huge token then costs a linear number of scans). With whatArrived, a pipe's
// chunk ends with its first read, which gives what has arrived so far: the lines made of it
// can then be shown before the next read waits. -1 when nothing could be read.
qint64 readChunk(QIODevice &input, char *data, qint64 size, bool whatArrived)
{
    qint64 filled = 0;
    while (filled < size) {
        const qint64 got = input.read(data + filled, size - filled);
        if (got < 0)
            return filled > 0 ? filled : -1;
        if (got == 0) {
            if (input.isSequential() && !input.atEnd() && input.waitForReadyRead(-1))
                continue;
            break;
        }
        filled += got;
        if (whatArrived)
            break;
    }
    return filled;
}

ConversionResult loadFailure(QString reason, qint64 line, qint64 column)
{
    ConversionResult result;
    result.status = ConversionResult::Status::LoadFailed;
    result.reason = std::move(reason);
    result.line = line;
    result.column = column;
    return result;
}

// For a parse that failed on an invalid token: the input's byte or sequence there that has no
// character in the document's encoding, when that is the cause.
QString unmappedReason(const Parse &parse, XML_Index byteIndex)
{
    const XML_Error code = XML_GetErrorCode(parse.parser);
    if (code != XML_ERROR_INVALID_TOKEN && code != XML_ERROR_PARTIAL_CHAR)
        return {};
    QString reason = parse.document->unmappedReason(byteIndex);
    if (!reason.isEmpty())
        return reason;
    int offset = 0;
    int size = 0;
    const char *context = XML_GetInputContext(parse.parser, &offset, &size);
    if (!context || offset < 0 || offset >= size)
        return {};
    return parse.encodings.unmappedReason(
            std::string_view(context + offset, static_cast<std::size_t>(size - offset)));
}

ConversionResult parseFailure(const Parse &parse)
{
    if (parse.walkFailed) {
        ConversionResult result;
        result.status = ConversionResult::Status::WalkFailed;
        result.reason = parse.reason;
        result.step = parse.step;
        return result;
    }
    if (parse.stopped)
        return loadFailure(parse.reason, static_cast<qint64>(parse.line),
                           static_cast<qint64>(parse.column) + 1);
    const XML_Error code = XML_GetErrorCode(parse.parser);
    XML_Size line = XML_GetErrorLineNumber(parse.parser);
    XML_Size column = parse.comments.column(line, XML_GetErrorColumnNumber(parse.parser));
    XML_Index byteIndex = parse.comments.byteIndex(XML_GetErrorByteIndex(parse.parser));
    // An input that ends inside a comment is placed at the comment's start, which the parser
    // no longer holds once the comment has been cut.
    if (parse.comments.streaming()
        && (code == XML_ERROR_UNCLOSED_TOKEN || code == XML_ERROR_PARTIAL_CHAR)) {
        line = parse.comments.startLine();
        column = parse.comments.startColumn();
        byteIndex = parse.comments.startIndex();
    }
    QString reason = code == XML_ERROR_UNKNOWN_ENCODING ? parse.encodings.failureReason()
                                                        : unmappedReason(parse, byteIndex);
    if (reason.isEmpty())
        reason = QString::fromUtf8(XML_ErrorString(code));
    return loadFailure(reason, static_cast<qint64>(line), static_cast<qint64>(column) + 1);
}

ConversionResult walkFailure(QString reason, int step)
{
    ConversionResult result;
    result.status = ConversionResult::Status::WalkFailed;
    result.reason = std::move(reason);
    result.step = step;
    return result;
}

} // namespace

ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const QString &delimiter,
                              const std::atomic_bool *cancel)
{
    CsvFormat format;
    format.delimiter = delimiter;
    return ConvertToCSV(input, output, format, cancel);
}

ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const CsvFormat &format,
                              const std::atomic_bool *cancel)
{
    try {
        const ParserHandle handle;
        if (!handle.get())
            return walkFailure(QStringLiteral("Out of memory"), FlattenWalk::TakeChild);
        const QByteArray delimiterBytes = format.delimiter.toUtf8();
        OutputBuffer buffer(output);
        FlattenWalk walk(std::string_view(delimiterBytes.constData(),
                                          static_cast<std::size_t>(delimiterBytes.size())),
                         format.quoting, format.crlf, buffer, format.formulasAsText);
        if (format.byteOrderMark)
            buffer.append("\xEF\xBB\xBF", 3);

        DocumentInput document(input);
        if (!document.refusal().isEmpty())
            return loadFailure(document.refusal(), 1, 1);
        QIODevice &source = document.device();

        Parse parse;
        parse.attributes = format.attributes;
        parse.parser = handle.get();
        parse.document = &document;
        XML_Parser parser = handle.get();
        XML_SetUserData(parser, &parse);
        XML_SetReturnNSTriplet(parser, 1);
        if (const char *encoding = document.parserEncoding())
            XML_SetEncoding(parser, encoding);
        XML_SetXmlDeclHandler(parser, onXmlDeclaration);
        XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_UNLESS_STANDALONE);
        // Long comments are cut by what the parser holds after each read, which a deferred
        // parse would leave unchanged; growing reads keep huge tokens linear without it.
        XML_SetReparseDeferralEnabled(parser, XML_FALSE);
        XML_SetSkippedEntityHandler(parser, onSkippedEntity);
        XML_SetExternalEntityRefHandler(parser, onExternalEntity);
        parse.encodings.install(parser);
        bool walking = output != nullptr;
        if (walking) {
            parse.walk = &walk;
            setWalkHandlers(parser, true);
        }

        // A small file is read in one piece of its own size, sparing the memory of a full read.
        int baseRead = baseReadSize;
        if (source.isSequential()) {
            baseRead = sequentialReadSize;
        } else {
            const qint64 remaining = source.size() - source.pos();
            if (remaining >= 0 && remaining < baseReadSize)
                baseRead = std::max(static_cast<int>(remaining) + 1, 4096);
        }
        int readSize = baseRead;
        // A pipe's output is shown as it is made (a live feed), except within a token that
        // takes several chunks, whose chunks are filled to keep its scans linear.
        const bool showAsMade = walking && source.isSequential();
        bool lastChunkMadeEvents = true;
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                ConversionResult result;
                result.status = ConversionResult::Status::Cancelled;
                return result;
            }
            void *chunk = XML_GetBuffer(parser, readSize + LongComment::cutRoom);
            if (!chunk)
                return walkFailure(QStringLiteral("Out of memory"), FlattenWalk::TakeChild);
            const bool whatArrived = showAsMade && lastChunkMadeEvents;
            const qint64 size
                    = readChunk(source, static_cast<char *>(chunk), readSize, whatArrived);
            if (size < 0)
                return loadFailure(source.errorString(), 0, 0);
            const quint64 eventsBefore = walk.events();
            const bool last = size == 0;
            int parsed = static_cast<int>(size);
            if (parse.comments.streaming() && !last)
                parsed = parse.comments.cut(static_cast<char *>(chunk), parsed,
                                            parse.encodings.multiByte());
            if (XML_ParseBuffer(parser, parsed, last) != XML_STATUS_OK) {
                // A stream shows what came before the fault; a file's content is discarded.
                if (walking)
                    buffer.flush();
                return parseFailure(parse);
            }
            if (last)
                break;
            parse.comments.afterParse(parser);
            if (walking && buffer.failed()) {
                // The rest only tells whether the document is well-formed.
                walking = false;
                setWalkHandlers(parser, false);
            }
            lastChunkMadeEvents = walk.events() != eventsBefore;
            // Less than asked: the next read may wait for more.
            if (walking && whatArrived && size < readSize)
                buffer.flush();
            if (walk.events() == eventsBefore && size == readSize)
                readSize = std::min(readSize * 2, walking ? maxReadSize : maxCheckReadSize);
            else
                readSize = baseRead;
        }

        ConversionResult result;
        result.linesWritten = walk.linesWritten();
        if (output && !buffer.flush()) {
            result.status = ConversionResult::Status::WriteFailed;
            result.reason = QStringLiteral("Cannot write the output: %1").arg(buffer.errorString());
        }
        return result;
    } catch (...) {
        return walkFailure(describeCurrentException(), FlattenWalk::TakeChild);
    }
}
