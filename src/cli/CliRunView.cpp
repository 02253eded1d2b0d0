#include "cli/CliRunView.h"

#include "config/CliMessageTable.h"
#include "config/MessageTable.h"
#include "run/RunState.h"
#include "run/RunSummary.h"

namespace {

constexpr qint64 redrawIntervalMs = 200;
constexpr int terminalWidth = 100;

// The last characters of a path, so the file name stays visible on a narrow line.
QString tail(const QString &text, int width)
{
    if (text.size() <= width)
        return text;
    return QStringLiteral("...") + text.right(width - 3);
}

} // namespace

CliRunView::CliRunView(std::FILE *output, bool terminal) : m_output(output), m_terminal(terminal) {}

void CliRunView::showStatus(const RunStatus &status)
{
    // Plain output says once that the archive is being verified, not once for every percent.
    if (!m_terminal && status.kind == RunStatus::Kind::Verifying && m_status.kind == status.kind) {
        m_status = status;
        return;
    }
    showLine(status, status.text());
}

void CliRunView::showText(const QString &text)
{
    showLine(RunStatus(), text);
}

void CliRunView::showLine(const RunStatus &status, const QString &text)
{
    m_status = status;
    m_text = text;
    m_filePercent = 0;
    if (m_terminal) {
        redraw(false);
        return;
    }
    // Plain output: the status as one line, its line breaks folded into a space.
    QString line = text;
    line.replace(QStringLiteral("\r\n\r\n"), QStringLiteral(" "));
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    printLine(line);
}

void CliRunView::setFileProgress(int percent)
{
    m_filePercent = percent;
    redraw(false);
}

void CliRunView::setTotalProgress(int percent)
{
    m_totalPercent = percent;
    redraw(false);
}

void CliRunView::showProgressText(const QString &text, int percent)
{
    if (!m_terminal) {
        // A log gets a line at each tenth, not one a second.
        if (percent / 10 == m_printedTenth)
            return;
        m_printedTenth = percent / 10;
        printLine(text);
        return;
    }
    m_plainText = text;
    if (m_sinceRedraw.isValid() && m_sinceRedraw.elapsed() < redrawIntervalMs)
        return;
    m_sinceRedraw.start();
    drawPlain();
}

void CliRunView::drawPlain()
{
    std::fputs("\r\x1b[K", m_output);
    std::fputs(m_plainText.toLocal8Bit().constData(), m_output);
    std::fflush(m_output);
    m_lineOpen = true;
}

void CliRunView::redraw(bool force)
{
    if (!m_terminal)
        return;
    if (!force && m_sinceRedraw.isValid() && m_sinceRedraw.elapsed() < redrawIntervalMs)
        return;
    m_sinceRedraw.start();
    m_plainText.clear();
    // While a file is archived the line shows "arhiviram datoteku n/m" and, at its end, the path.
    const bool archivingFile = m_status.kind == RunStatus::Kind::ArchivingFile;
    const QString path = archivingFile ? m_status.path : QString();
    const QString status = archivingFile ? MessageTable::text(Msg::StatusArchivingFile) + QLatin1Char(' ') +
                                               RunSummary::count(m_status.fileNumber) + QLatin1Char('/') +
                                               RunSummary::count(m_status.fileCount)
                                         : m_text;
    const QString elapsed = m_state && !m_state->proteklo_vrijeme_prikaz.isEmpty()
                                ? m_state->proteklo_vrijeme_prikaz
                                : QStringLiteral("00:00:00");
    // A file being archived shows its own percentage and its path; other stages only the totals.
    const QString head =
        path.isEmpty()
            ? CliMessageTable::text(CliMsg::ProgressTotal).arg(status).arg(m_totalPercent, 3).arg(elapsed)
            : CliMessageTable::text(CliMsg::ProgressFile)
                  .arg(status)
                  .arg(m_filePercent, 3)
                  .arg(m_totalPercent, 3)
                  .arg(elapsed);
    const QString line = head + tail(path, std::max<int>(10, terminalWidth - int(head.size())));
    // "\r" returns to the line's start, "\x1b[K" clears what the previous, longer line left.
    std::fputs("\r\x1b[K", m_output);
    std::fputs(line.toLocal8Bit().constData(), m_output);
    std::fflush(m_output);
    m_lineOpen = true;
}

void CliRunView::finishLine()
{
    if (m_lineOpen) {
        if (m_plainText.isEmpty())
            redraw(true);
        else
            drawPlain();
        m_plainText.clear();
        std::fputc('\n', m_output);
        m_lineOpen = false;
    }
}

void CliRunView::printLine(const QString &text)
{
    finishLine();
    std::fputs(text.toLocal8Bit().constData(), m_output);
    std::fputc('\n', m_output);
    std::fflush(m_output);
}
