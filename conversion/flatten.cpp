#include "conversion/flatten.h"

#include "conversion/conversioncores.h"
#include "conversion/encoding/documentinput.h"
#include "conversion/encoding/legacyencodings.h"
#include "conversion/walk/blockqueue.h"
#include "conversion/walk/expatname.h"
#include "conversion/walk/flattenwalk.h"
#include "conversion/walk/formatthread.h"
#include "conversion/walk/longcomment.h"
#include "conversion/walk/outputbuffer.h"
#include "conversion/walk/parseevents.h"
#include "core/failure.h"

#include <QIODevice>
#include <QRandomGenerator>

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

namespace {

// Reads start small enough to stay in the cache. A chunk that completes no event is part of a
// huge token, which the parser scans again from its start on every chunk: larger reads keep
// that linear.
constexpr int baseReadSize = 256 * 1024;
constexpr int sequentialReadSize = 32 * 1024;
constexpr int maxReadSize = 64 * 1024 * 1024;
// Without the walk there are no events to count, so every chunk looks like part of a huge
// token; a lower cap keeps the memory of a plain check modest.
constexpr int maxCheckReadSize = 4 * 1024 * 1024;

// From this size a file's walk may run on a thread of its own: smaller ones are done before
// a thread would have started.
constexpr qint64 twoThreadsFrom = 1 << 20;
// The blocks of events between the parser and the walk's thread: a few reads' worth.
constexpr std::size_t eventBlockSize = 512 * 1024;
constexpr int eventBlocks = 4;

struct Parse {
    XML_Parser parser = nullptr;
    const ParsePosition *position = nullptr;
    FlattenWalk *walk = nullptr; // the walk, when it runs on this thread
    ParseEvents::Recorder *recorder = nullptr; // or what hands the events to its thread
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
        line = position->line();
        column = comments.column(line, position->column());
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

// The handlers are the same for the walk and for the recorder of its events.
template<typename Sink> Sink &sinkOf(Parse &parse);
template<> FlattenWalk &sinkOf(Parse &parse)
{
    return *parse.walk;
}
template<> ParseEvents::Recorder &sinkOf(Parse &parse)
{
    return *parse.recorder;
}

// The walk takes a name in its parts; the recorder hands it over whole, to be split on the
// walk's thread.
void startElement(FlattenWalk &walk, const XML_Char *name)
{
    const ExpatName::Parts parts = ExpatName::split(name);
    walk.startElement(parts.prefix, parts.localName);
}
void startElement(ParseEvents::Recorder &recorder, const XML_Char *name)
{
    recorder.startElement(name);
}
void attribute(FlattenWalk &walk, const XML_Char *name, const XML_Char *value)
{
    const ExpatName::Parts parts = ExpatName::split(name);
    walk.attribute(parts.prefix, parts.localName, value);
}
void attribute(ParseEvents::Recorder &recorder, const XML_Char *name, const XML_Char *value)
{
    recorder.attribute(name, value);
}

// Namespace declarations never reach here: the parser takes them as declarations.
template<typename Sink> void reportAttributes(Sink &sink, const XML_Char **attributes)
{
    for (const XML_Char **attribute = attributes; *attribute; attribute += 2)
        ::attribute(sink, attribute[0], attribute[1]);
}

template<typename Sink>
void XMLCALL onStartElement(void *userData, const XML_Char *name, const XML_Char **attributes)
{
    Parse &parse = parseOf(userData);
    try {
        Sink &sink = sinkOf<Sink>(parse);
        ::startElement(sink, name);
        if (parse.attributes)
            reportAttributes(sink, attributes);
    } catch (...) {
        parse.stopWithFailure();
    }
}

template<typename Sink> void XMLCALL onEndElement(void *userData, const XML_Char *)
{
    Parse &parse = parseOf(userData);
    try {
        sinkOf<Sink>(parse).endElement();
    } catch (...) {
        parse.stopWithFailure();
    }
}

template<typename Sink> void XMLCALL onCharacters(void *userData, const XML_Char *data, int size)
{
    Parse &parse = parseOf(userData);
    try {
        sinkOf<Sink>(parse).characters(data, static_cast<std::size_t>(size));
    } catch (...) {
        parse.stopWithFailure();
    }
}

template<typename Sink> void XMLCALL onStartCdata(void *userData)
{
    Parse &parse = parseOf(userData);
    try {
        sinkOf<Sink>(parse).startCdata();
    } catch (...) {
        parse.stopWithFailure();
    }
}

template<typename Sink> void XMLCALL onEndCdata(void *userData)
{
    Parse &parse = parseOf(userData);
    try {
        sinkOf<Sink>(parse).endCdata();
    } catch (...) {
        parse.stopWithFailure();
    }
}

template<typename Sink> void XMLCALL onComment(void *userData, const XML_Char *text)
{
    Parse &parse = parseOf(userData);
    try {
        Sink &sink = sinkOf<Sink>(parse);
        const LongComment::Part part = parse.comments.reported();
        if (part == LongComment::Part::Whole) {
            sink.comment(text);
            return;
        }
        if (part == LongComment::Part::First)
            sink.beginComment();
        sink.commentText(text, std::strlen(text));
        if (part == LongComment::Part::Last)
            sink.endComment();
    } catch (...) {
        parse.stopWithFailure();
    }
}

template<typename Sink>
void XMLCALL onProcessingInstruction(void *userData, const XML_Char *target, const XML_Char *data)
{
    Parse &parse = parseOf(userData);
    try {
        sinkOf<Sink>(parse).processingInstruction(
                target, data ? std::string_view(data) : std::string_view());
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
        parse.line = parse.position->line();
        parse.column = parse.comments.column(parse.line, parse.position->column());
    } catch (...) {
        parse.stopWithFailure();
    }
    return XML_STATUS_ERROR;
}

// The parser's input is counted in lines and columns on the walk's thread.
void XMLCALL onConsumed(void *userData, const void *encoding, const char *start, const char *end)
{
    parseOf(userData).recorder->consumed(encoding, start, end);
}

class ParserHandle {
public:
    ParserHandle() : m_parser(XML_ParserCreateNS(nullptr, ExpatName::separator))
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

template<typename Sink> void setWalkHandlers(XML_Parser parser)
{
    XML_SetElementHandler(parser, onStartElement<Sink>, onEndElement<Sink>);
    XML_SetCharacterDataHandler(parser, onCharacters<Sink>);
    XML_SetCdataSectionHandler(parser, onStartCdata<Sink>, onEndCdata<Sink>);
    XML_SetCommentHandler(parser, onComment<Sink>);
    XML_SetProcessingInstructionHandler(parser, onProcessingInstruction<Sink>);
}

void clearWalkHandlers(XML_Parser parser)
{
    XML_SetElementHandler(parser, nullptr, nullptr);
    XML_SetCharacterDataHandler(parser, nullptr);
    XML_SetCdataSectionHandler(parser, nullptr, nullptr);
    XML_SetCommentHandler(parser, nullptr);
    XML_SetProcessingInstructionHandler(parser, nullptr);
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
    XML_Size line = parse.position->line();
    XML_Size column = parse.comments.column(line, parse.position->column());
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

// The walk on a thread of its own, and the queue of the parser's events it replays.
struct WalkThread {
    WalkThread(FlattenWalk &walk, OutputBuffer &buffer) : formatter(queue, walk, buffer) { }

    // Hands the last events over and waits until the walk has made their lines.
    void finish()
    {
        recorder.finish();
        formatter.join();
    }
    ConversionResult failure() const { return walkFailure(formatter.reason(), formatter.step()); }

    BlockQueue queue{eventBlockSize, eventBlocks};
    ParseEvents::Recorder recorder{queue};
    FormatThread formatter;
};

} // namespace

ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const QString &delimiter,
                              const std::atomic_bool *cancel)
{
    CsvFormat format;
    format.delimiter = delimiter;
    return ConvertToCSV(input, output, format, cancel, ThreadPlan::OneThread);
}

ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const CsvFormat &format,
                              const std::atomic_bool *cancel, ThreadPlan plan)
{
    try {
        const ParserHandle handle;
        if (!handle.get())
            return walkFailure(QStringLiteral("Out of memory"), FlattenWalk::TakeChild);
        DocumentInput document(input);
        if (!document.refusal().isEmpty())
            return loadFailure(document.refusal(), 1, 1);
        QIODevice &source = document.device();

        // A core left over takes a large file's walk, or else the writes of an input of unknown
        // size: a batch on every core spares the threads that would only wait for one. A small
        // file is done before a thread would have started.
        const bool large = !source.isSequential() && source.size() - source.pos() >= twoThreadsFrom;
        std::optional<ConversionCores::Spare> spare;
        if (output && plan == ThreadPlan::Automatic && (large || source.isSequential()))
            spare.emplace();
        const bool coreLeftOver = spare && *spare;
        const bool twoThreads
                = output && (plan == ThreadPlan::TwoThreads || (coreLeftOver && large));
        const QByteArray delimiterBytes = format.delimiter.toUtf8();
        OutputBuffer buffer(output, OutputBuffer::defaultCapacity,
                            coreLeftOver && !twoThreads ? OutputBuffer::Writes::InBackground
                                                        : OutputBuffer::Writes::Here);
        FlattenWalk walk(std::string_view(delimiterBytes.constData(),
                                          static_cast<std::size_t>(delimiterBytes.size())),
                         format.quoting, format.crlf, buffer, format.formulasAsText);
        if (format.byteOrderMark)
            buffer.append("\xEF\xBB\xBF", 3);

        Parse parse;
        parse.attributes = format.attributes;
        parse.parser = handle.get();
        ParsePosition position(handle.get());
        parse.position = &position;
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

        std::optional<WalkThread> walkThread;
        if (twoThreads) {
            try {
                walkThread.emplace(walk, buffer);
            } catch (const std::system_error &) {
                // No thread to be had: the walk runs here.
            }
        }
        bool walking = output != nullptr;
        if (walking && walkThread) {
            parse.recorder = &walkThread->recorder;
            setWalkHandlers<ParseEvents::Recorder>(parser);
            // Counting lines and columns costs the parser a look at every byte: the walk's
            // thread does it.
            XML_SetPositionHandler(parser, onConsumed);
            position.countedElsewhere([&thread = *walkThread] {
                thread.recorder.waitUntilReplayed();
                return thread.formatter.position();
            });
        } else if (walking) {
            parse.walk = &walk;
            setWalkHandlers<FlattenWalk>(parser);
        }
        const auto events = [&] {
            return walkThread ? walkThread->recorder.events() : walk.events();
        };

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
            const quint64 eventsBefore = events();
            const bool last = size == 0;
            int parsed = static_cast<int>(size);
            if (parse.comments.streaming() && !last)
                parsed = parse.comments.cut(static_cast<char *>(chunk), parsed,
                                            parse.encodings.multiByte());
            if (XML_ParseBuffer(parser, parsed, last) != XML_STATUS_OK) {
                // The walk's failure comes first when it failed on an earlier event.
                if (walkThread) {
                    walkThread->finish();
                    if (walkThread->formatter.failed())
                        return walkThread->failure();
                }
                // A stream shows what came before the fault; a file's content is discarded.
                if (walking)
                    buffer.flush();
                return parseFailure(parse);
            }
            if (last)
                break;
            parse.comments.afterParse(parser, position);
            if (walkThread && walkThread->formatter.failed()) {
                walkThread->finish();
                return walkThread->failure();
            }
            if (walking && buffer.failed()) {
                // The rest only tells whether the document is well-formed.
                walking = false;
                clearWalkHandlers(parser);
            }
            lastChunkMadeEvents = events() != eventsBefore;
            // Less than asked: the next read may wait for more.
            if (walking && whatArrived && size < readSize) {
                if (walkThread)
                    walkThread->recorder.flush();
                else
                    buffer.flush();
            }
            if (events() == eventsBefore && size == readSize)
                readSize = std::min(readSize * 2, walking ? maxReadSize : maxCheckReadSize);
            else
                readSize = baseRead;
        }

        if (walkThread) {
            walkThread->finish();
            if (walkThread->formatter.failed())
                return walkThread->failure();
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
