#include "runtime/TableDesc.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace vrt {

int TableDesc::fieldIndex(const std::string& column) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (strcasecmp(fields[i].name, column.c_str()) == 0)
            return int(i);
    return -1;
}

int TableDesc::keyIndex(const std::string& keyName) const
{
    for (size_t i = 0; i < keys.size(); ++i)
        if (strcasecmp(keys[i].name.c_str(), keyName.c_str()) == 0)
            return int(i);
    return -1;
}

int TableDesc::primaryKey() const
{
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].primary)
            return int(i);
    return -1;
}

bool TableDesc::emptyIsNull(int field) const
{
    if (!fields.at(size_t(field)).isText())
        return false;
    for (const KeyDesc& k : keys)
        if (k.unique && !k.primary)
            for (const KeyComponent& c : k.components)
                if (c.field == field)
                    return true;
    return false;
}

KeyDesc makeKey(const std::vector<FieldDesc>& fields, const char* name, const char* components,
                bool unique, bool primary, int autoNumber)
{
    KeyDesc k;
    k.name = name;
    k.unique = unique || primary;
    k.primary = primary;
    k.autoNumber = autoNumber;
    std::string list = components;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos)
            comma = list.size();
        std::string part = list.substr(pos, comma - pos);
        pos = comma + 1;
        if (part.empty())
            continue;
        bool desc = false;
        if (part[0] == '-') {
            desc = true;
            part.erase(0, 1);
        }
        int found = -1;
        bool datePart = false;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (strcasecmp(fields[i].name, part.c_str()) == 0)
                found = int(i);
            else if (fields[i].kind == FieldKind::DateTime &&
                     strcasecmp((std::string(fields[i].name) + "_DATE").c_str(), part.c_str()) == 0) {
                found = int(i);
                datePart = true;
            }
        }
        if (found < 0) {
            std::fprintf(stderr, "key %s names unknown column %s\n", name, part.c_str());
            std::abort();
        }
        k.components.push_back({found, desc, datePart});
    }
    return k;
}

} // namespace vrt
