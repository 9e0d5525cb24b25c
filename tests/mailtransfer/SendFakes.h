#pragma once
#include "mailtransfer/SendMail.h"

// A send at a fixed day and clock, in the texts as written, on the calling thread.
class FixedSendSide : public korbelsteen::SendSide {
public:
    FixedSendSide(int day, int clock) : m_day(day), m_clock(clock) {}
    int today() override { return m_day; }
    int clockNow() override { return m_clock; }
    QString translate(const QString& text) override { return text; }
    void transmit(const std::function<void()>& exchange) override { exchange(); }

private:
    int m_day, m_clock;
};
