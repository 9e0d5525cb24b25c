#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace vrt {
class ErrorClass;
class UpdateFormController;
} // namespace vrt

// What the forms of this folder share: the translator, the error manager of the thread's
// tables and the window they open over.
namespace notespass {

class FormEnv {
public:
    // Texts pass `translate` (none: as they are).
    explicit FormEnv(std::function<QString(const QString&)> translate = {}) : m_translate(std::move(translate)) {}

    QWidget* parent = nullptr;
    QString dataFolder;

    const std::function<QString(const QString&)>& translate() const { return m_translate; }
    QString tr(const QString& text) const { return m_translate ? m_translate(text) : text; }

private:
    std::function<QString(const QString&)> m_translate;
};

// A translated message box; answers the button pressed.
int say(const FormEnv& env, const QString& text, int icon, int buttons = 1, int defaultButton = 0);
// A question with Yes and No, No by default; true when the answer is yes.
bool askYes(const FormEnv& env, const QString& text);

// Binds the controller to the translator and the thread's error manager.
void prepare(vrt::UpdateFormController& form, const FormEnv& env);

// Takes the request from GLOBALREQUEST and clears it and GLOBALRESPONSE, as every form does.
int takeRequest();

// Text fields hold at most `capacity` characters; longer input is cut on a character boundary.
std::string fitted(const QString& text, int capacity);

} // namespace notespass
