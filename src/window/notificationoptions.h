// NotificationOptions: the Notifications section of the project options pane: how a run that
// ends out of view is told (desktop notification, e-mail, launcher badge), the e-mail address,
// the title and the message with its placeholders, and a help panel about them. Every control
// writes straight to the document ("userNotificationInfo" in the project file).
#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace corvane
{

class MyDocument;

class NotificationOptions : public QWidget
{
    Q_OBJECT
public:
    explicit NotificationOptions(MyDocument *document, QWidget *parent = nullptr);

    // Reads every control from the document (a control being edited keeps its text).
    void refresh();
    // Shows the help panel about the placeholders with its top-left corner at a point (the
    // mouse position when the help button was clicked), else below the help button.
    void showNotificationHelp(std::optional<QPoint> at = std::nullopt);
    static QString helpText();

    QCheckBox *desktopBox() const { return m_desktop; }
    QCheckBox *emailBox() const { return m_email; }
    QCheckBox *badgeBox() const { return m_badge; }
    QLineEdit *addressEdit() const { return m_address; }
    QLineEdit *headerEdit() const { return m_header; }
    QPlainTextEdit *bodyEdit() const { return m_body; }
    QToolButton *helpButton() const { return m_help; }
    QLabel *addressProblem() const { return m_addressProblem; }
    QFrame *helpPanel() const { return m_helpPanel; }

private:
    void showAddressProblem();

    MyDocument *m_document;
    bool m_refreshing = false;
    QCheckBox *m_desktop, *m_email, *m_badge;
    QLineEdit *m_address, *m_header;
    QPlainTextEdit *m_body;
    QLabel *m_addressProblem;
    QToolButton *m_help;
    QFrame *m_helpPanel = nullptr;
};

} // namespace corvane
