#pragma once

namespace office {
class AutomationObject;
// "Excel.Application": workbooks in .xlsx files, edited in place.
AutomationObject* makeExcelObject();
} // namespace office
