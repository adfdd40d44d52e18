// Prompts: how logic asks the user mid-way without opening a window itself. The window answers
// with window-modal message boxes, the command line with fixed answers, tests with scripts.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

class Prompts {
public:
    virtual ~Prompts() = default;
    // Asks a question; returns the index of the chosen button (0 = first, the default).
    virtual int ask(const QString &message, const QString &informativeText,
                    const QStringList &buttons) = 0;
    // Asks without holding up the caller: the window shows a sheet and calls answered later; by
    // default the question is asked at once.
    virtual void askLater(const QString &message, const QString &informativeText,
                          const QStringList &buttons, std::function<void(int)> answered)
    {
        answered(ask(message, informativeText, buttons));
    }
    // Tells the user something; one "OK" button.
    virtual void alert(const QString &message, const QString &informativeText) = 0;
    // A file-system or I/O error, as the platform's error panel shows it.
    virtual void presentError(const QString &message) = 0;
    virtual void beep() = 0;
};

// Answers every question with a fixed button index and collects what was said; for the command
// line (index 0 unless told otherwise) and for tests.
class RecordingPrompts : public Prompts {
public:
    explicit RecordingPrompts(int answer = 0) : answer(answer) {}
    int ask(const QString &message, const QString &informativeText,
            const QStringList &buttons) override
    {
        Q_UNUSED(buttons);
        asked << message + (informativeText.isEmpty() ? QString() : "\n" + informativeText);
        return answer;
    }
    void alert(const QString &message, const QString &informativeText) override
    {
        alerts << message + (informativeText.isEmpty() ? QString() : "\n" + informativeText);
    }
    void presentError(const QString &message) override { errors << message; }
    void beep() override { ++beeps; }

    int answer;
    QStringList asked, alerts, errors;
    int beeps = 0;
};

} // namespace corvane
