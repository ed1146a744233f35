// A draw grid's rows copied or saved in chunks.
#include "forms/tableoutput.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QProgressDialog>

#include "platform/profile.h"
#include "widgets/messagebox.h"

namespace quorvane {

namespace {

constexpr qint64 kChunkRows = 8192;

SaveFileChooser& chooser() {
  static SaveFileChooser current;
  return current;
}

void appendCell(const QString& cell, RowFormat format, QByteArray& out) {
  QByteArray bytes = cell.toUtf8();
  if (format == RowFormat::Tabs) {
    for (char& c : bytes)
      if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    out += bytes;
    return;
  }
  if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') && !bytes.contains('\n')) {
    out += bytes;
    return;
  }
  out += '"';
  out += bytes.replace("\"", "\"\"");
  out += '"';
}

}  // namespace

void AppendRowLine(const QStringList& cells, RowFormat format, QByteArray& out) {
  for (qsizetype c = 0; c < cells.size(); ++c) {
    if (c > 0) out += format == RowFormat::Tabs ? '\t' : ',';
    appendCell(cells[c], format, out);
  }
  out += "\r\n";
}

bool WriteRows(QWidget* owner, const GridRows& rows, RowFormat format, const OutputTexts& texts,
               const std::function<bool(const QByteArray& chunk)>& sink) {
  const qint64 total = rows.rowCount();
  const bool asks = total > kAskAboveRows;
  if (asks &&
      ShowCenteredMessage(owner, texts.question.arg(QLocale(QLocale::English).toString(total)),
                          MessageKind::Confirmation, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return false;

  QByteArray chunk;
  QStringList headers;
  for (int c = 0; c < rows.columnCount(); ++c) headers << rows.header(c);
  AppendRowLine(headers, format, chunk);

  // Progress in thousandths: the row count may pass an int.
  std::unique_ptr<QProgressDialog> dialog;
  if (asks) {
    dialog = std::make_unique<QProgressDialog>(texts.progress, texts.cancel, 0, 1000, owner);
    dialog->setObjectName(QStringLiteral("PlanProgress"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setValue(0);
  }
  for (qint64 first = 0; first < total; first += kChunkRows) {
    const qint64 end = std::min(total, first + kChunkRows);
    for (qint64 r = first; r < end; ++r) AppendRowLine(rows.row(r), format, chunk);
    if (!sink(chunk)) return false;
    chunk.clear();
    if (dialog) {
      dialog->setValue(int(end * 1000 / total));
      QApplication::processEvents();
      if (dialog->wasCanceled()) return false;
    }
  }
  return total > 0 || sink(chunk);
}

bool CopyRows(QWidget* owner, const GridRows& rows, const OutputTexts& texts) {
  QByteArray text;
  if (!WriteRows(owner, rows, RowFormat::Tabs, texts, [&](const QByteArray& chunk) {
        text += chunk;
        return true;
      }))
    return false;
  QApplication::clipboard()->setText(QString::fromUtf8(text));
  return true;
}

void SetSaveFileChooser(SaveFileChooser chooser_) { chooser() = std::move(chooser_); }

QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& filter) {
  if (chooser()) return chooser()(owner, caption, filter);
  return QFileDialog::getSaveFileName(owner, caption, QString(), filter);
}

bool ExportRows(QWidget* owner, const GridRows& rows, const QString& path, const OutputTexts& texts,
                QString* failure) {
  profile::AtomicWriter writer(path);
  bool written = true;
  const bool done = WriteRows(owner, rows, RowFormat::Csv, texts, [&](const QByteArray& chunk) {
    written = writer.write(chunk);
    return written;
  });
  // A write that failed is asked for its reason (the old file stays); a cancel leaves without a word, and the
  // writer's end removes its temporary file.
  if (!written) {
    writer.commit(failure);
    return false;
  }
  return done && writer.commit(failure);
}

}  // namespace quorvane
