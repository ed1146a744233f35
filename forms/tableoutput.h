// A draw grid's rows copied as tab-separated text or saved as CSV, in chunks, with a question and a progress
// dialog for long tables.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "widgets/drawgrid.h"

class QWidget;

namespace quorvane {

// More rows than this are copied or saved only after the user agrees, with a progress dialog.
inline constexpr qint64 kAskAboveRows = 1000000;

// One line of tab-separated text (cells joined by tabs, tabs and line breaks inside a cell made blanks) or
// of CSV per RFC 4180 (a cell holding a comma, a double quote or a line break quoted, its quotes doubled),
// each ending in CR LF, in UTF-8.
enum class RowFormat { Tabs, Csv };
void AppendRowLine(const QStringList& cells, RowFormat format, QByteArray& out);

// What a long copy or save says: the question (%1 the row count), the progress text and the Cancel button.
struct OutputTexts {
  QString question;
  QString progress;
  QString cancel;
};

// Hands the header line and then every row line of `rows` to `sink`, in chunks of a few thousand rows. Above
// kAskAboveRows it first asks and then shows the progress with a Cancel button, letting the window redraw
// between chunks. False when the user said no or cancelled, or `sink` returned false; the caller then keeps
// whatever it had before.
bool WriteRows(QWidget* owner, const GridRows& rows, RowFormat format, const OutputTexts& texts,
               const std::function<bool(const QByteArray& chunk)>& sink);

// Copies the rows to the clipboard as tab-separated text; the clipboard is untouched when it is not done.
bool CopyRows(QWidget* owner, const GridRows& rows, const OutputTexts& texts);

// How the CSV's file is chosen: QFileDialog::getSaveFileName unless a test put its own chooser in. The
// chooser gives the path, or an empty text when the user cancelled.
using SaveFileChooser = std::function<QString(QWidget* owner, const QString& caption, const QString& filter)>;
void SetSaveFileChooser(SaveFileChooser chooser);
QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& filter);

// Saves the rows as CSV into `path`, replacing the file atomically: a cancelled or failed save leaves any
// file there as it was. `failure` receives the system's reason when the write failed.
bool ExportRows(QWidget* owner, const GridRows& rows, const QString& path, const OutputTexts& texts,
                QString* failure);

}  // namespace quorvane
