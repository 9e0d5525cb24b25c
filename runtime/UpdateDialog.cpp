#include "runtime/UpdateDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "runtime/WindowManager.h"

namespace vrt {

UpdateDialog::UpdateDialog(UpdateFormController& controller, const QString& designTitle, QWidget* parent)
    : QDialog(parent), m_controller(controller)
{
    setWindowTitle(designTitle);
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel(controller.title(designTitle), this);
    if (controller.titleRed())
        m_title->setStyleSheet(QStringLiteral("color: #ff0000; font-weight: bold;"));
    m_action = new QLabel(controller.actionMessage(), this);
    layout->addWidget(m_title);
    layout->addWidget(m_action);
    auto* form = new QFormLayout;
    for (const auto& field : controller.fields()) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(field.name);
        edit->setReadOnly(field.readOnly || !controller.editable());
        edit->installEventFilter(this);
        form->addRow(field.prompt, edit);
        m_entries[field.name] = edit;
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QStringLiteral("Prekid"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &UpdateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &UpdateDialog::reject);
    layout->addWidget(buttons);
}

void UpdateDialog::setCancelText(const QString& text) { m_cancel->setText(text); }

QLineEdit* UpdateDialog::entry(const QString& field) const
{
    auto it = m_entries.find(field);
    return it == m_entries.end() ? nullptr : it->second;
}

void UpdateDialog::fromRecord()
{
    for (const auto& field : m_controller.fields())
        if (auto* e = entry(field.name); e && field.get)
            e->setText(field.get());
}

void UpdateDialog::toRecord()
{
    if (!m_controller.editable())
        return;
    for (const auto& field : m_controller.fields())
        if (auto* e = entry(field.name); e && field.set && !field.readOnly)
            field.set(e->text());
}

int UpdateDialog::run()
{
    if (!m_controller.open())
        return m_controller.response();
    fromRecord();
    runModal(*this);
    if (m_controller.response() == RESPONSE_NONE) // closed some other way: nothing stored
        m_controller.cancel();
    return m_controller.response();
}

void UpdateDialog::accept()
{
    toRecord();
    if (!m_controller.ok()) {
        if (auto* e = entry(m_controller.focusField()))
            e->setFocus();
        fromRecord(); // a pick on OK may have filled fields
        return;
    }
    QDialog::accept();
}

void UpdateDialog::reject()
{
    m_controller.cancel();
    QDialog::reject();
}

bool UpdateDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_H && key->modifiers() == Qt::ControlModifier) {
            auto* edit = qobject_cast<QLineEdit*>(watched);
            if (edit && m_controller.restoreHistory(edit->objectName())) {
                fromRecord();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vrt
