#include "serial/port_list.h"

#include <algorithm>
#include <utility>

#include "serial/ascii.h"
#include "serial/virtual_ports.h"

namespace orvane::serial {
void SortPortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return LowerAscii(x) < LowerAscii(y);
    });
  });
}

void ListPorts(std::vector<std::string>& list) {
  std::vector<std::string> names;
  ListPlatformPorts(names);
  for (std::string& name : ListedVirtualPorts()) names.push_back(std::move(name));
  SortPortNames(names);
  list.swap(names);
}

}  // namespace orvane::serial
