// A read-only rich text box showing coloured runs of text.
#pragma once

#include "core/controls.h"

#include <QTextEdit>
#include <vector>

namespace mq::ui {

class RichTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextView(QWidget* parent = nullptr);

    // Replaces the whole content; nothing is redrawn when the runs are unchanged.
    void setRuns(const std::vector<TextRun>& runs);
    const std::vector<TextRun>& runs() const { return shown; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    std::vector<TextRun> shown;
    double defaultSize = 8.5;
};

}  // namespace mq::ui
