#pragma once

#include "report/engine/ReportTemplate.h"

namespace report {

// The annual income statement: page, ten bands and their printables.
ReportTemplate statementTemplate();

} // namespace report
