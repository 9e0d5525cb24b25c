#pragma once
#include "procedures/common/FormSupport.h"

namespace notespass {

// The update form of one note (the row in NOTE:'s buffer; primed by the caller for an
// insert). Request from GLOBALREQUEST, answer in GLOBALRESPONSE and returned. A delete opens
// no window: it asks once and deletes.
int F_Notes(const FormEnv& env);

// Texts of the date and time entries.
QString noteDateText(int day);
QString noteTimeText(int time);
// -1 when the text is no date / time; an empty text is 0 ("none").
int noteDateFrom(const QString& text);
int noteTimeFrom(const QString& text);

} // namespace notespass
