#pragma once

// Output file names that carry a contract: the month and year substitution
// characters ('&' and '%' unless LASTMAP.QVT says otherwise) stand for the
// contract's month and year.
//
//   month: &&& -> "MAR", && -> "03", & -> "H"      year: %%%% -> "2014", %% -> "14", % -> "4"
//
// Only the last run of each character in the file name part (after the last
// backslash or colon) is replaced. The builder names an output after the
// contract its series ends in; the updater's broadcast finds the output of
// the day's contract by the same rule.

#include <string>

#include "common/contract_rule.h"

namespace qv {

// Whether the file name part of `name` holds either substitution character.
bool has_contract_marks(const std::string& name, char month_mark, char year_mark);

// Replaces the last run of each substitution character with the contract's
// month and year.
void put_contract_into_name(std::string& name, const Contract& contract, char month_mark, char year_mark);

}  // namespace qv
