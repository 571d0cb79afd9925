#include "movara_journal.h"

#include <algorithm>

#include "movara_host.h"

std::vector<std::string> journal_filtered_get_f(const std::vector<std::string>& names) {
  std::vector<std::string> filtered;
  for (const std::string& entry : mvh_journal_get_f()) {
    if (std::find(names.begin(), names.end(), entry) != names.end()) {
      filtered.push_back(entry);
    }
  }
  return filtered;
}
