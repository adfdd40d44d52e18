// MarkerLineNumberView: the ruler beside the editor text. It shows line numbers and, per line, an
// error or warning marker that whoever tracks diagnostics sets. A click tells which line was
// clicked, where, and whether that line has a marker.
#pragma once

#include <QMap>
#include <QWidget>

#include <optional>

class QPlainTextEdit;

namespace corvane
{

class CorvaneTextView;

// A click on the ruler. Below the last line there is no line, and so no marker.
struct LineNumberClick {
    std::optional<int> lineNumber; // 1-based
    QPoint location;               // the click point in the coordinates of the ruler's window
    bool clickedOnMarker = false;
};

class MarkerLineNumberView : public QWidget
{
    Q_OBJECT
public:
    // The marker kinds; the values are the diagnostics' errorType (1 warning, 2 error).
    enum Marker { NoMarker = 0, WarningMarker = 1, ErrorMarker = 2 };

    explicit MarkerLineNumberView(CorvaneTextView *view);

    // Lines are 1-based. A line holds at most one marker; an error wins over a warning.
    void markLine(int line, Marker marker);
    Marker markerAtLine(int line) const { return Marker(m_markers.value(line, NoMarker)); }
    void removeMarker(int line);
    // Replaces all markers (an empty map removes them all).
    void setMarkers(const QMap<int, Marker> &markers);
    const QMap<int, Marker> &markers() const { return m_markers; }

    // The width the ruler needs for the text's line count.
    int preferredWidth() const;
    QSize sizeHint() const override { return {preferredWidth(), 0}; }

signals:
    // The user clicked the ruler (also below the last line, without a line).
    void userClickedOnLineNumber(const corvane::LineNumberClick &click);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int lineAt(int y) const;

    CorvaneTextView *m_view;
    QMap<int, Marker> m_markers;
};

} // namespace corvane
