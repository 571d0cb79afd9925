// Reading the stand-in's journal of Movara calls in tests.
#ifndef TESTS_SUPPORT_MOVARA_JOURNAL_H
#define TESTS_SUPPORT_MOVARA_JOURNAL_H

#include <string>
#include <vector>

// The journal entries that are one of the given function names, in order.
std::vector<std::string> journal_filtered_get_f(const std::vector<std::string>& names);

#endif  // TESTS_SUPPORT_MOVARA_JOURNAL_H
