// How the keys go on through the "Hosts of the block" table while hosts are typed in: Return
// after a new host's cells makes the next new-host row's name cell current, so that typing
// goes on with the next host; Tab in the editor of a row being typed commits the cell and
// opens the next one of the row; Tab anywhere else leaves the table. Each edit resets the
// table's model, so the cell to go on in is kept by host and column and made current once
// the table has followed the edit.
#pragma once

#include <QObject>
#include <cstddef>
#include <optional>

class QTableView;

namespace mq::planner {
class SubnetForm;
}

namespace mq::ui {

class HostRowsModel;

class HostEntry : public QObject {
public:
    HostEntry(QTableView* table, HostRowsModel& rows, planner::SubnetForm& form);
    // Tab (forward) or Shift+Tab in a cell's editor, instead of the delegate's own.
    void tab(QWidget* editor, bool forward);
    // Return committed a cell (the delegate closed its editor with SubmitModelCache).
    void returned();

private:
    struct Goal {
        std::optional<std::size_t> host;  // nullopt: the new-host row
        int column = 0;
        bool edit = false;  // the cell's editor opened
        int leave = 0;  // 1 or -1: focus then leaves the table forward or back
    };
    bool typing(std::size_t row) const;  // the new-host row, or the host added from it
    void goOn(Goal goal);

    QTableView* table;
    HostRowsModel& rows;
    planner::SubnetForm& form;
    std::optional<std::size_t> entering;  // the host added from the new-host row, while typed
};

}  // namespace mq::ui
