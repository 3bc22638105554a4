// The Common Lists window's logic: three buttons load one reference list into a
// two-column grid, and a search shows the first row whose key or description is
// exactly the search text. The Qt window mirrors these fields.
#pragma once

#include "core/controls.h"
#include "core/services.h"

#include <array>
#include <cstdint>
#include <string>

namespace mq {

class ClistModel {
public:
    static constexpr int kRows = 238;  // row 0 holds the headings
    static constexpr int kCols = 2;

    explicit ClistModel(Services& services);

    // Controls.
    std::array<Button, 3> SSCommand1;  // the three lists
    Button SSCommand2;  // "Search For.."
    TextBox Text1;  // search text
    Grid MSFlexGrid1{kRows, kCols};
    std::array<Panel, 2> SSPanel1;  // the row found by the last search
    std::string Label1;

    // Window events.
    void Form_Load();
    void SSCommand1_Click(int index);
    void SSCommand2_Click();

    // Cell index of row r, column c; throws std::overflow_error outside 16 bits.
    std::int16_t Fgia(std::int16_t r, std::int16_t c) const;

    // Write one list's rows into the grid from row 1 on.
    void setmac();
    void setport();
    void setmult();

private:
    Services& services;
};

}  // namespace mq
