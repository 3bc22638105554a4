// The controls of a window as plain fields, so that a window's logic runs and is
// tested without any widget. The Qt windows copy these into real widgets.
#pragma once

#include "core/helpers.h"

#include <string>
#include <vector>

namespace mq {

struct TextBox {
    std::string text;
    Colour foreColor = colour::Black;
    bool enabled = true;
    bool visible = true;
    int maxLength = 0;  // 0: no limit; limits typing only
};

struct ComboBox {
    std::vector<std::string> list;
    std::string text;
    int listIndex = -1;
    bool enabled = true;
    bool visible = true;

    void clear()
    {
        list.clear();
        text.clear();
        listIndex = -1;
    }
    void addItem(std::string item) { list.push_back(std::move(item)); }
    // Writing the text selects the matching row, if there is one.
    void setText(std::string value)
    {
        text = std::move(value);
        listIndex = -1;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == text) {
                listIndex = static_cast<int>(i);
                break;
            }
    }
    // The row at index, or "" when there is none.
    std::string item(int index) const
    {
        return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)]
                                                                   : std::string();
    }
};

struct ListBox {
    std::vector<std::string> items;
    void clear() { items.clear(); }
    void addItem(std::string item) { items.push_back(std::move(item)); }
    int listCount() const { return static_cast<int>(items.size()); }
};

struct Panel {
    std::string caption;
    Colour foreColor = colour::Black;
    bool visible = true;
    bool enabled = true;
    int top = 0;  // twips
};

struct CheckBox {
    int value = 0;
    bool enabled = true;
};

struct Button {
    std::string caption;
    Colour foreColor = colour::Black;
    bool enabled = true;
    bool visible = true;
};

// A rich text box: runs of text, each with its own character format.
struct TextRun {
    std::string text;
    Colour colour = colour::Black;
    bool bold = false;
    bool italic = false;
    double pointSize = 0;  // 0: the box's default size
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

struct RichTextBox {
    std::vector<TextRun> runs;
    Colour selColor = colour::Black;  // colour of the text appended next

    std::string text() const
    {
        std::string all;
        for (const auto& r : runs)
            all += r.text;
        return all;
    }
    void clear() { runs.clear(); }
    void append(std::string t)
    {
        if (!t.empty())
            runs.push_back({std::move(t), selColor});
    }
};

// A grid addressed by flat cell index (row * cols + col) or by row and column.
struct Grid {
    int rows = 0;
    int cols = 0;
    std::vector<std::string> cells;
    std::vector<int> colWidth;  // twips
    std::vector<int> colAlignment;  // 1: left, vertically centred
    int row = 0, col = 0, rowSel = 0, colSel = 0;

    Grid() = default;
    Grid(int r, int c)
        : rows(r), cols(c), cells(static_cast<std::size_t>(r * c)), colWidth(static_cast<std::size_t>(c), 0),
          colAlignment(static_cast<std::size_t>(c), 0)
    {
    }
    bool valid(int r, int c) const { return r >= 0 && r < rows && c >= 0 && c < cols; }
    const std::string& textMatrix(int r, int c) const
    {
        static const std::string none;
        return valid(r, c) ? cells[static_cast<std::size_t>(r * cols + c)] : none;
    }
    void setTextMatrix(int r, int c, std::string t)
    {
        if (valid(r, c))
            cells[static_cast<std::size_t>(r * cols + c)] = std::move(t);
    }
    const std::string& textArray(int index) const
    {
        static const std::string none;
        return index >= 0 && index < rows * cols ? cells[static_cast<std::size_t>(index)] : none;
    }
    void setTextArray(int index, std::string t)
    {
        if (index >= 0 && index < rows * cols)
            cells[static_cast<std::size_t>(index)] = std::move(t);
    }
};

}  // namespace mq
