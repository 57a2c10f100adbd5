#include "HostedPlugin.h"

#include <algorithm>
#include <cctype>

int findParameterByName(const std::vector<std::string>& names, const std::string& name)
{
    int caseless = -1;
    int caselessCount = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& n = names[i];
        if (n == name)
            return int(i);
        if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            caseless = int(i);
            ++caselessCount;
        }
    }
    return caselessCount == 1 ? caseless : -1;
}
