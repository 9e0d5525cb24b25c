#pragma once

namespace organiser {
class OrganiserWindow;
class OrganiserPanes;
} // namespace organiser

namespace notespass {

// Puts the note form, the password forms and the backup window in place of their stand-ins,
// and lets the notes list change and delete through the note form.
void attachNotesPasswords(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes);

} // namespace notespass
