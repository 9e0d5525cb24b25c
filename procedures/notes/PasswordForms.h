#pragma once
#include "procedures/common/FormSupport.h"

class QDialog;

namespace notespass {

// "no category yet": a number no category has, so the lookup asks for one.
inline constexpr int kNoCategory = 99999999;

// Update forms of the password store; request from GLOBALREQUEST, the row in the record
// buffer, answer in GLOBALRESPONSE and returned.
int F_PASS_Password(const FormEnv& env);
int F_PASS_Kategorija(const FormEnv& env);
// The category list. With `pick` it is a picker: "Izbor" answers completed with the row in
// PASK:'s buffer, "Zatvori" cancelled.
int T_PASS_Kategorija(const FormEnv& env, bool pick);

// Passwords filed under category `id`.
long passwordsInCategory(long id);
// The name of category `id`; nullopt-like empty with `found` false when there is none.
QString categoryName(long id, bool* found);

} // namespace notespass
