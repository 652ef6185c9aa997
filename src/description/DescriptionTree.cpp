#include "description/DescriptionTree.h"

std::string PageNameFromItemName(const std::string& recordName) {
    std::string name = recordName;
    if (!name.empty() && name.front() == '*') name.erase(0, 1);
    for (char& ch : name) {
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    return name;
}
