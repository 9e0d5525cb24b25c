#pragma once
#include <QDialog>
#include <map>
#include <memory>

#include "runtime/UpdateForm.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
namespace controls {
class HtmlEditor;
}

// F_Accounts, the window "Email račun": one account's name, sender, POP3 and SMTP settings,
// the default flag and its two HTML signatures. It edits the calling thread's Accounts buffer
// (a new account is primed before it opens) and answers through the update-form protocol.
namespace mailpeople {

class AccountForm : public QDialog {
    Q_OBJECT
public:
    AccountForm(vrt::FormTarget& target, int request, QWidget* parent = nullptr);
    ~AccountForm() override;

    // Runs the form modally; REQUEST_COMPLETED or REQUEST_CANCELLED.
    int run();

    // The entry of a text field by its name without prefix ("NAZIV", "SMTPHOST").
    QLineEdit* entry(const QString& field) const;
    QCheckBox* defaultBox() const { return m_default; }
    QCheckBox* popSsl() const { return m_popSsl; }
    QCheckBox* smtpSsl() const { return m_smtpSsl; }
    QTabWidget* sheet() const { return m_sheet; }
    QListWidget* signatureKinds() const { return m_kinds; }
    controls::HtmlEditor* editor() const { return m_editor; }
    QPushButton* saveSignatureButton() const { return m_saveSignature; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* heading() const { return m_heading; }

    // "Spremi": the editor's document goes to the file of the chosen kind.
    bool saveSignature();

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fromRecord();
    void toRecord();
    void loadSignature(int row);

    vrt::UpdateFormController m_controller;
    std::map<QString, QLineEdit*> m_entries;
    QLabel* m_heading;
    QCheckBox* m_default;
    QCheckBox* m_popSsl;
    QCheckBox* m_smtpSsl;
    QTabWidget* m_sheet;
    QListWidget* m_kinds;
    controls::HtmlEditor* m_editor;
    QPushButton* m_saveSignature;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// F_Accounts on the Accounts buffer with GLOBALREQUEST's request; sets GLOBALRESPONSE.
int F_Accounts(QWidget* parent = nullptr);

} // namespace mailpeople
