#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Names as the parser gives them with namespaces on: "namespace<sep>local<sep>prefix", or the
// local name alone outside any namespace.
namespace ExpatName {

// Never a byte of the parser's UTF-8 names, so a namespace name cannot hold it.
constexpr char separator = '\xFF';

// The name as written, "prefix:local", in its two parts.
struct Parts {
    std::string_view prefix;
    std::string_view localName;
};

inline Parts fromSeparators(const char *name, const char *end, const char *const separators[2],
                            int found)
{
    if (found == 0)
        return {{}, std::string_view(name, static_cast<std::size_t>(end - name))};
    const char *local = separators[0] + 1;
    if (found == 1)
        return {{}, std::string_view(local, static_cast<std::size_t>(end - local))};
    const char *prefix = separators[1] + 1;
    return {std::string_view(prefix, static_cast<std::size_t>(end - prefix)),
            std::string_view(local, static_cast<std::size_t>(separators[1] - local))};
}

// One pass over a name that ends with a NUL finds both separators and its end; names are short.
inline Parts split(const char *name)
{
    const char *separators[2] = {nullptr, nullptr};
    int found = 0;
    const char *end = name;
    for (; *end; ++end) {
        if (*end == separator && found < 2)
            separators[found++] = end;
    }
    return fromSeparators(name, end, separators, found);
}

inline Parts split(std::string_view name)
{
    const char *separators[2] = {nullptr, nullptr};
    int found = 0;
    const char *end = name.data() + name.size();
    for (const char *at = name.data(); found < 2; ++at) {
        at = static_cast<const char *>(std::memchr(at, separator, std::size_t(end - at)));
        if (!at)
            break;
        separators[found++] = at;
    }
    return fromSeparators(name.data(), end, separators, found);
}

} // namespace ExpatName
