#include "conversion/walk/parseevents.h"

#include "conversion/walk/expatname.h"
#include "conversion/walk/flattenwalk.h"
#include "conversion/walk/outputbuffer.h"

namespace ParseEvents {

bool Recorder::nextBlock(std::size_t size)
{
    handOver();
    m_block = m_queue.emptyBlock();
    if (!m_block)
        return false; // the walk has ended: nothing more is recorded
    m_at = m_block;
    m_end = m_block + m_queue.blockSize();
    return size <= m_queue.blockSize();
}

void Recorder::handOver()
{
    if (m_block && m_at != m_block)
        m_queue.push(static_cast<std::size_t>(m_at - m_block));
    m_block = m_at = m_end = nullptr;
}

// The fields stay in the parser's memory, which holds them until the handler returns: the
// record goes alone in a block, and the handler waits until it has been replayed.
void Recorder::recordHeld(Kind kind, std::initializer_list<std::string_view> fields)
{
    if (!m_block)
        return;
    char *at = m_at;
    *at++ = static_cast<char>(static_cast<unsigned char>(kind) | heldByParser);
    for (const std::string_view field : fields) {
        const char *data = field.data();
        const std::size_t size = field.size();
        std::memcpy(at, &data, sizeof data);
        std::memcpy(at + sizeof data, &size, sizeof size);
        at += sizeof data + sizeof size;
    }
    m_at = at;
    waitUntilReplayed();
}

void Recorder::flush()
{
    append(Kind::Flush);
    handOver();
}

void Recorder::waitUntilReplayed()
{
    handOver();
    m_queue.waitUntilRead();
}

void Recorder::finish()
{
    handOver();
    m_queue.finish();
}

namespace {

class Fields {
public:
    Fields(const char *at, bool held) : m_at(at), m_held(held) { }

    std::string_view next()
    {
        if (m_held) {
            const char *data = nullptr;
            std::size_t size = 0;
            std::memcpy(&data, m_at, sizeof data);
            std::memcpy(&size, m_at + sizeof data, sizeof size);
            m_at += sizeof data + sizeof size;
            return {data, size};
        }
        quint32 size = 0;
        std::memcpy(&size, m_at, sizeof size);
        const std::string_view field(m_at + sizeof size, size);
        m_at += sizeof size + size;
        return field;
    }
    const char *end() const { return m_at; }

private:
    const char *m_at;
    bool m_held;
};

} // namespace

void replay(const char *block, std::size_t size, FlattenWalk &walk, OutputBuffer &output,
            CountedPosition &position)
{
    const char *const end = block + size;
    for (const char *at = block; at < end;) {
        const auto byte = static_cast<unsigned char>(*at++);
        Fields fields(at, (byte & heldByParser) != 0);
        switch (static_cast<Kind>(byte & ~heldByParser)) {
        case Kind::StartElement: {
            const ExpatName::Parts name = ExpatName::split(fields.next());
            walk.startElement(name.prefix, name.localName);
            break;
        }
        case Kind::Attribute: {
            const ExpatName::Parts name = ExpatName::split(fields.next());
            walk.attribute(name.prefix, name.localName, fields.next());
            break;
        }
        case Kind::EndElement:
            walk.endElement();
            break;
        case Kind::Characters: {
            const std::string_view data = fields.next();
            walk.characters(data.data(), data.size());
            break;
        }
        case Kind::StartCdata:
            walk.startCdata();
            break;
        case Kind::EndCdata:
            walk.endCdata();
            break;
        case Kind::Comment:
            walk.comment(fields.next());
            break;
        case Kind::BeginComment:
            walk.beginComment();
            break;
        case Kind::CommentText: {
            const std::string_view data = fields.next();
            walk.commentText(data.data(), data.size());
            break;
        }
        case Kind::EndComment:
            walk.endComment();
            break;
        case Kind::ProcessingInstruction: {
            const std::string_view target = fields.next();
            walk.processingInstruction(target, fields.next());
            break;
        }
        case Kind::Flush:
            output.flush();
            break;
        case Kind::Consumed: {
            const void *encoding = nullptr;
            std::memcpy(&encoding, fields.next().data(), sizeof encoding);
            const std::string_view input = fields.next();
            XML_CountPosition(encoding, input.data(), input.data() + input.size(), &position.lines,
                              &position.column);
            break;
        }
        }
        at = fields.end();
    }
}

} // namespace ParseEvents
