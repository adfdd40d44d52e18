#include "window/notificationoptions.h"

#include "build/notificationtext.h"
#include "project/mydocument.h"

#include <QCheckBox>
#include <QCursor>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane
{

NotificationOptions::NotificationOptions(MyDocument *document, QWidget *parent)
    : QWidget(parent), m_document(document),
      m_desktop(new QCheckBox(tr("Desktop notification"))), m_email(new QCheckBox(tr("E-mail"))),
      m_badge(new QCheckBox(tr("Launcher badge"))), m_address(new QLineEdit),
      m_header(new QLineEdit), m_body(new QPlainTextEdit), m_addressProblem(new QLabel),
      m_help(new QToolButton)
{
    auto *title = new QLabel(tr("Notify When a Run Ends Unseen"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_help->setText(QStringLiteral("?"));
    m_help->setToolTip(tr("What the placeholders of the message stand for"));
    m_help->setObjectName("notificationHelpButton");
    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_help);

    m_address->setPlaceholderText(tr("name@example.org"));
    m_header->setPlaceholderText(tr("title and subject"));
    m_body->setPlaceholderText(tr("e.g. <documentName> ended <endTime> after<runTime>"));
    m_body->setTabChangesFocus(true);
    m_body->setFixedHeight(m_body->fontMetrics().lineSpacing() * 3 + 12);
    m_addressProblem->setWordWrap(true);
    m_addressProblem->setObjectName("addressProblem");
    m_addressProblem->setStyleSheet(QStringLiteral("color: #b3261e"));
    m_addressProblem->hide();

    auto *ways = new QVBoxLayout;
    ways->setContentsMargins(0, 0, 0, 0);
    ways->setSpacing(2);
    ways->addWidget(m_desktop);
    ways->addWidget(m_email);
    ways->addWidget(m_badge);
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(tr("Address:"), m_address);
    form->addRow(QString(), m_addressProblem);
    form->addRow(tr("Title:"), m_header);
    form->addRow(tr("Message:"), m_body);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(titleRow);
    layout->addLayout(ways);
    layout->addLayout(form);

    refresh();

    auto flag = [this](QCheckBox *box, void (MyDocument::*set)(bool)) {
        connect(box, &QCheckBox::toggled, this, [this, set](bool on) {
            if (!m_refreshing)
                (m_document->*set)(on);
            showAddressProblem();
        });
    };
    flag(m_desktop, &MyDocument::setNotifyWhenComplete);
    flag(m_email, &MyDocument::setNotifyByEmail);
    flag(m_badge, &MyDocument::setNotifyByDock);
    auto text = [this](QLineEdit *edit, void (MyDocument::*set)(const QString &)) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, set] {
            if (!m_refreshing)
                (m_document->*set)(edit->text());
        });
    };
    text(m_address, &MyDocument::setNotificationEmailAddress);
    text(m_header, &MyDocument::setNotificationHeader);
    connect(m_address, &QLineEdit::textChanged, this, &NotificationOptions::showAddressProblem);
    // The message has no "editing finished": every change is kept at once.
    connect(m_body, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_refreshing && m_body->toPlainText() != m_document->notificationBody())
            m_document->setNotificationBody(m_body->toPlainText());
    });
    connect(m_help, &QToolButton::clicked, this, [this] {
        // Clicked with the mouse: the panel opens where the click was.
        showNotificationHelp(m_help->underMouse() ? std::optional<QPoint>(QCursor::pos())
                                                  : std::nullopt);
    });
    connect(m_document, &MyDocument::settingChanged, this, [this](const QString &key) {
        if (key.startsWith(QLatin1String("notif")))
            refresh();
    });
}

void NotificationOptions::refresh()
{
    m_refreshing = true;
    const MyDocument &d = *m_document;
    m_desktop->setChecked(d.notifyWhenComplete());
    m_email->setChecked(d.notifyByEmail());
    m_badge->setChecked(d.notifyByDock());
    if (!m_address->hasFocus())
        m_address->setText(d.notificationEmailAddress());
    if (!m_header->hasFocus())
        m_header->setText(d.notificationHeader());
    if (m_body->toPlainText() != d.notificationBody())
        m_body->setPlainText(d.notificationBody());
    m_refreshing = false;
    showAddressProblem();
}

void NotificationOptions::showAddressProblem()
{
    const QString address = cleanAddress(m_address->text());
    QString problem;
    if (!address.isEmpty() && !isPlainAddress(address))
        problem = tr("Not one plain address such as name@example.org: no e-mail can be sent to "
                     "it.");
    else if (address.isEmpty() && m_email->isChecked())
        problem = tr("E-mail needs an address.");
    m_addressProblem->setText(problem);
    m_addressProblem->setVisible(!problem.isEmpty());
}

QString NotificationOptions::helpText()
{
    return tr("<p>When a run ends while its project window is not in front, Corvane can tell "
              "you: with a desktop notification, with an e-mail (sent through the system's "
              "<tt>sendmail</tt>), or with a count on its launcher icon.</p>"
              "<p>The <b>title</b> is the notification's title and the e-mail's subject; the "
              "<b>message</b> is their text. In the message these placeholders are replaced, "
              "each the first time it appears:</p>"
              "<table cellspacing='4'>"
              "<tr><td><tt>&lt;endTime&gt;</tt></td><td>the date and time the run ended</td></tr>"
              "<tr><td><tt>&lt;documentName&gt;</tt></td><td>the project's name</td></tr>"
              "<tr><td><tt>&lt;runTime&gt;</tt></td><td>how long the run took, in the unit "
              "shown beside the timer (e.g. \"&nbsp;&nbsp;1.500&nbsp;m\")</td></tr>"
              "<tr><td><tt>&lt;inputFileName&gt;</tt></td><td>the name of the input file</td></tr>"
              "</table>"
              "<p>A placeholder written another way stays as it is.</p>");
}

void NotificationOptions::showNotificationHelp(std::optional<QPoint> at)
{
    if (!m_helpPanel) {
        m_helpPanel = new QFrame(this, Qt::Popup);
        m_helpPanel->setObjectName("notificationHelp");
        m_helpPanel->setFrameShape(QFrame::StyledPanel);
        auto *label = new QLabel(helpText());
        label->setWordWrap(true);
        label->setTextFormat(Qt::RichText);
        label->setFixedWidth(380);
        auto *layout = new QVBoxLayout(m_helpPanel);
        layout->addWidget(label);
    }
    m_helpPanel->adjustSize();
    QPoint topLeft = at ? *at : m_help->mapToGlobal(QPoint(0, m_help->height()));
    // Kept on the screen: near the right or bottom edge the panel moves in as far as needed.
    if (const QScreen *screen = m_help->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qMax(area.left(), qMin(topLeft.x(), area.right() + 1 - m_helpPanel->width())));
        topLeft.setY(qMax(area.top(), qMin(topLeft.y(), area.bottom() + 1 - m_helpPanel->height())));
    }
    m_helpPanel->move(topLeft);
    m_helpPanel->show();
}

} // namespace corvane
