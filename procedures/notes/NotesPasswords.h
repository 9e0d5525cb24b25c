#pragma once

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
} // namespace organiser

namespace notespass {

// Puts the note form, the password forms and the backup window in place of their stand-ins,
// and lets the notes list change and delete through the note form.
void attachNotesPasswords(organiser::FeatureHost& host);

} // namespace notespass
