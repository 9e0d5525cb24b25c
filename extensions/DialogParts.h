#pragma once
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <initializer_list>

// The small windows of the extensions: a form above a row of buttons on the right.
namespace ext {

inline QVBoxLayout* formAndButtons(QDialog& dialog, QFormLayout* form, std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons)
        row->addWidget(b);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addLayout(row);
    return layout;
}

} // namespace ext
