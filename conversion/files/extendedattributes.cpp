#include "conversion/files/extendedattributes.h"

#include <cstring>
#include <string_view>
#include <sys/xattr.h>
#include <vector>

namespace {

// Reads a list or a value whose size may change between asking and reading; -1 on failure.
template<typename Read> ssize_t readSized(std::vector<char> &buffer, Read &&read)
{
    const ssize_t size = read(nullptr, 0);
    if (size <= 0)
        return size;
    buffer.resize(static_cast<std::size_t>(size));
    return read(buffer.data(), buffer.size());
}

} // namespace

void copyExtendedAttributes(const QByteArray &from, int to, AccessAcl acl)
{
    std::vector<char> names;
    const ssize_t namesSize = readSized(names, [&](char *list, std::size_t size) {
        return ::llistxattr(from.constData(), list, size);
    });
    std::vector<char> value;
    for (ssize_t at = 0; at < namesSize;) {
        const char *name = names.data() + at;
        const std::string_view view(name);
        at += static_cast<ssize_t>(view.size()) + 1;
        if (!view.starts_with("user.")
            && !(acl == AccessAcl::Included && view == "system.posix_acl_access"))
            continue;
        const ssize_t size = readSized(value, [&](char *data, std::size_t capacity) {
            return ::lgetxattr(from.constData(), name, data, capacity);
        });
        if (size >= 0)
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0);
    }
}
