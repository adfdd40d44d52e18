#include "window/diagnosticspane.h"

#include "editor/editorviewcontroller.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane
{

namespace
{
constexpr int kRowRole = Qt::UserRole + 1;
}

DiagnosticsPane::DiagnosticsPane(QWidget *parent)
    : QWidget(parent), m_outline(new QTreeWidget), m_loader(new QPlainTextEdit)
{
    m_outline->setHeaderHidden(true);
    m_outline->setColumnCount(1);
    m_outline->setUniformRowHeights(true);
    m_outline->setExpandsOnDoubleClick(false);
    m_outline->setTextElideMode(Qt::ElideRight);
    m_loader->setReadOnly(true);
    m_loader->setLineWrapMode(QPlainTextEdit::WidgetWidth); // the side pane is narrow
    m_loader->setFont(EditorViewController::editorFont());
    m_loader->setPlaceholderText(tr("No loader messages."));

    auto *loaderBox = new QWidget;
    auto *loaderLayout = new QVBoxLayout(loaderBox);
    loaderLayout->setContentsMargins(0, 4, 0, 0);
    loaderLayout->setSpacing(2);
    loaderLayout->addWidget(new QLabel(tr("Loader:")));
    loaderLayout->addWidget(m_loader, 1);

    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(m_outline);
    split->addWidget(loaderBox);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    connect(m_outline, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { choose(item); });
    connect(m_outline, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { choose(item); });
    connect(m_outline, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (const auto row = rowOf(item); row && row->resultType != 0)
            emit rowDoubleClicked(*row);
    });
}

void DiagnosticsPane::fill(const std::optional<ErrorsDictionary> &errors)
{
    m_outline->clear();
    m_rows.clear();
    if (!errors)
        return;
    const QColor warning(QStringLiteral("#b86e00"));
    const QColor error(QStringLiteral("#c62828"));
    for (const auto &[path, rows] : *errors) {
        const FindResult header = FindResult::header(path);
        auto *file = new QTreeWidgetItem(m_outline, {header.lineText});
        file->setData(0, kRowRole, int(m_rows.size()));
        m_rows << header;
        file->setToolTip(0, path);
        for (const FindResult &row : rows) {
            const QString text =
                QString::number(row.lineNumber) + QStringLiteral(": ") + row.lineText.simplified();
            auto *item = new QTreeWidgetItem(file, {text});
            item->setData(0, kRowRole, int(m_rows.size()));
            m_rows << row;
            item->setToolTip(0, row.lineText);
            item->setForeground(0, row.errorType == 2 ? error : warning);
        }
        file->setExpanded(true);
    }
}

void DiagnosticsPane::setLoaderText(const QString &text)
{
    m_loader->setPlainText(text);
}

QString DiagnosticsPane::loaderText() const
{
    return m_loader->toPlainText();
}

QStringList DiagnosticsPane::shownRows() const
{
    QStringList rows;
    for (int i = 0; i < m_outline->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *file = m_outline->topLevelItem(i);
        rows << file->text(0);
        for (int j = 0; j < file->childCount(); ++j)
            rows << QStringLiteral("  ") + file->child(j)->text(0);
    }
    return rows;
}

std::optional<FindResult> DiagnosticsPane::rowOf(const QTreeWidgetItem *item) const
{
    if (!item)
        return std::nullopt;
    bool ok = false;
    const int index = item->data(0, kRowRole).toInt(&ok);
    if (!ok || index < 0 || index >= m_rows.size())
        return std::nullopt;
    return m_rows.at(index);
}

void DiagnosticsPane::choose(QTreeWidgetItem *item)
{
    if (const auto row = rowOf(item))
        emit rowChosen(*row);
}

} // namespace corvane
