// Plain-text description of one tuple: what its viewer shows, as lines of
// "label: value" (Shift-JIS, CR LF line ends). Exported as CisDescribe.
#pragma once

#include <string>

#include "cis_api.h"
#include "cis_records.h"
#include "viewer_text.h"

namespace cis {

std::string describe(const ViewerText& view);
std::string describeRecord(const CisTupleRecord& record);

}  // namespace cis

extern "C" unsigned CIS_API CisDescribe(const cis::CisTupleRecord* record, char* buffer, unsigned size);
