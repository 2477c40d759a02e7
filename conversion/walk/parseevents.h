#pragma once

#include "conversion/walk/blockqueue.h"
#include "conversion/walk/bytebuffer.h"
#include "conversion/walk/parseposition.h"

#include <QtGlobal>

#include <cstring>
#include <string_view>

class FlattenWalk;
class OutputBuffer;

// The parser's events as records in the blocks of a queue, so that the walk can run on another
// thread than the parser.
namespace ParseEvents {

enum class Kind : unsigned char {
    StartElement, // the name as the parser gives it (ExpatName)
    Attribute, // the name as the parser gives it, value
    EndElement,
    Characters, // data
    StartCdata,
    EndCdata,
    Comment, // text
    BeginComment,
    CommentText, // data
    EndComment,
    ProcessingInstruction, // target, data
    Flush, // what the walk has written so far goes out now
    Consumed, // the encoding, input the parser has consumed: its lines and columns are counted
};

// Marks a record whose fields stay where the parser has them, as pointer and size: a record
// larger than a block, which the recording side waits for until it has been replayed.
constexpr unsigned char heldByParser = 0x80;

// Records the events into the queue. Its calls are the walk's own (FlattenWalk), but for names,
// which it takes as the parser gives them. Never throws.
class Recorder {
public:
    explicit Recorder(BlockQueue &queue) : m_queue(queue) { }
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    void startElement(const char *name) { record(Kind::StartElement, std::string_view(name)); }
    void attribute(const char *name, const char *value)
    {
        record(Kind::Attribute, std::string_view(name), std::string_view(value));
    }
    void endElement() { record(Kind::EndElement); }
    void characters(const char *data, std::size_t size)
    {
        record(Kind::Characters, std::string_view(data, size));
    }
    void startCdata() { record(Kind::StartCdata); }
    void endCdata() { record(Kind::EndCdata); }
    void comment(std::string_view text) { record(Kind::Comment, text); }
    void beginComment() { record(Kind::BeginComment); }
    void commentText(const char *data, std::size_t size)
    {
        record(Kind::CommentText, std::string_view(data, size));
    }
    void endComment() { record(Kind::EndComment); }
    void processingInstruction(std::string_view target, std::string_view data)
    {
        record(Kind::ProcessingInstruction, target, data);
    }
    // Input the parser has consumed, in its encoding (see XML_SetPositionHandler). Not an event.
    void consumed(const void *encoding, const char *start, const char *end)
    {
        append(Kind::Consumed,
               std::string_view(reinterpret_cast<const char *>(&encoding), sizeof encoding),
               std::string_view(start, static_cast<std::size_t>(end - start)));
    }

    // Counts the events recorded, so that the reader can tell a chunk that completed none.
    quint64 events() const { return m_events; }

    // Hands everything recorded so far to the walk and has it written out, without waiting.
    void flush();
    // Hands everything recorded so far to the walk and waits until it has been replayed.
    void waitUntilReplayed();
    // Hands the last records over: nothing follows.
    void finish();

private:
    template<typename... Fields> void record(Kind kind, Fields... fields)
    {
        ++m_events;
        append(kind, fields...);
    }

    template<typename... Fields> void append(Kind kind, Fields... fields)
    {
        const std::size_t size = 1 + (0 + ... + (sizeof(quint32) + fields.size()));
        if (size > static_cast<std::size_t>(m_end - m_at)) [[unlikely]] {
            appendInNextBlock(kind, size, fields...);
            return;
        }
        write(kind, fields...);
    }

    template<typename... Fields> void write(Kind kind, Fields... fields)
    {
        char *at = m_at;
        *at++ = static_cast<char>(kind);
        ((at = put(at, fields)), ...);
        m_at = at;
    }

    // Apart from the usual path, so that the usual one needs no registers saved.
    template<typename... Fields>
    [[gnu::noinline]] void appendInNextBlock(Kind kind, std::size_t size, Fields... fields)
    {
        if (nextBlock(size))
            write(kind, fields...);
        else
            recordHeld(kind, {fields...});
    }

    static char *put(char *at, std::string_view field)
    {
        const auto size = static_cast<quint32>(field.size());
        std::memcpy(at, &size, sizeof size);
        copyBytes(at + sizeof size, field.data(), field.size());
        return at + sizeof size + field.size();
    }

    bool nextBlock(std::size_t size);
    void handOver();
    void recordHeld(Kind kind, std::initializer_list<std::string_view> fields);

    BlockQueue &m_queue;
    char *m_block = nullptr;
    char *m_at = nullptr;
    char *m_end = nullptr;
    quint64 m_events = 0;
};

// Replays the records of one block on the walk, in the order they were made, and counts the
// lines and columns of the input they name into position.
void replay(const char *block, std::size_t size, FlattenWalk &walk, OutputBuffer &output,
            CountedPosition &position);

} // namespace ParseEvents
