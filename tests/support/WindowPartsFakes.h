#pragma once
#include <QAbstractButton>
#include <QIcon>
#include <QPointer>

#include <functional>

#include "chrome/WindowParts.h"

namespace testsupport {

// A window with one button, under control number `control`.
class OneButton : public ButtonSource {
public:
    OneButton(QAbstractButton* button, long control) : m_button(button), m_control(control) {}
    QAbstractButton* buttonOf(long control) override { return control == m_control ? m_button.data() : nullptr; }

private:
    QPointer<QAbstractButton> m_button;
    long m_control;
};

// Icons as the test draws them.
class DrawnIcons : public IconSource {
public:
    explicit DrawnIcons(std::function<QIcon(const QString&)> draw) : m_draw(std::move(draw)) {}
    QIcon iconOf(const QString& name) override { return m_draw(name); }

private:
    std::function<QIcon(const QString&)> m_draw;
};

} // namespace testsupport
