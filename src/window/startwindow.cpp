#include "window/startwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace corvane
{

StartWindow::StartWindow(QWidget *parent) : QWidget(parent), m_recent(new QListWidget)
{
    setWindowTitle(tr("Corvane"));
    auto *title = new QLabel(tr("Corvane"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);
    auto *subtitle = new QLabel(tr("Fortran development environment"));

    auto *newProject = new QPushButton(tr("New Project..."));
    auto *open = new QPushButton(tr("Open..."));
    auto *preferences = new QPushButton(tr("Preferences..."));
    auto *quit = new QPushButton(tr("Quit"));
    newProject->setDefault(true);
    connect(newProject, &QPushButton::clicked, this, &StartWindow::newProjectRequested);
    connect(open, &QPushButton::clicked, this, &StartWindow::openProjectRequested);
    connect(preferences, &QPushButton::clicked, this, &StartWindow::preferencesRequested);
    connect(quit, &QPushButton::clicked, this, &StartWindow::quitRequested);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &StartWindow::openProjectRequested);
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this,
            &StartWindow::quitRequested);

    auto *left = new QVBoxLayout;
    left->addWidget(title);
    left->addWidget(subtitle);
    left->addSpacing(16);
    left->addWidget(newProject);
    left->addWidget(open);
    left->addStretch(1);
    left->addWidget(preferences);
    left->addWidget(quit);

    auto *recentTitle = new QLabel(tr("Recent Projects"));
    auto *right = new QVBoxLayout;
    right->addWidget(recentTitle);
    right->addWidget(m_recent, 1);
    connect(m_recent, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        emit recentProjectChosen(item->data(Qt::UserRole).toString());
    });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(24);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(680, 420);
}

void StartWindow::setRecentProjects(const QStringList &paths)
{
    m_recent->clear();
    for (const QString &path : paths) {
        const QFileInfo info(path);
        auto *item = new QListWidgetItem(info.completeBaseName() + "\n" +
                                             QDir::toNativeSeparators(info.absolutePath()),
                                         m_recent);
        item->setData(Qt::UserRole, path);
        item->setToolTip(path);
        if (!info.exists())
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
}

} // namespace corvane
