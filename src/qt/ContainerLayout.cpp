#include "qt/ContainerLayout.h"

#include "forms/Label.h"
#include "qt/ScaleLabel.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>
#include <set>

namespace qtui {

namespace {

using Grid = std::vector<std::vector<std::string>>;

enum class Cell { Field, Button, Option, Block, Grid };

struct Slot {
    forms::Control* control; // nullptr for the place of an overlap group
    QWidget* widget;
    Cell cell;
};

struct Row {
    Cell cell;
    std::vector<Slot> cells;
};

std::string nameOf(const Slot& s) {
    return s.control ? s.control->fullName() : std::string();
}
bool isKind(const Slot& s, forms::ControlKind kind) {
    return s.control && s.control->kind() == kind;
}
bool isLabel(const Slot& s) {
    return isKind(s, forms::ControlKind::Label);
}
bool isBox(const Slot& s) {
    return isKind(s, forms::ControlKind::TextBox);
}

Cell cellOf(const forms::Control& c) {
    switch (c.kind()) {
    case forms::ControlKind::Label:
        return static_cast<const forms::Label&>(c).Caption().size() >= kNoticeLength ? Cell::Block
                                                                                     : Cell::Field;
    case forms::ControlKind::TextBox:
        return Cell::Field;
    case forms::ControlKind::CommandButton:
        return Cell::Button;
    case forms::ControlKind::OptionButton:
        return Cell::Option;
    default:
        return Cell::Block;
    }
}

// Replaces the members of each overlap group found here by one place holding them all.
std::vector<Slot> placeOverlaps(QWidget* host, std::vector<Slot> cells, const LayoutHints& hints,
                                std::vector<std::shared_ptr<OverlapGroup>>& groups) {
    for (const auto& names : hints.overlaps) {
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < cells.size(); ++i)
            if (std::find(names.begin(), names.end(), nameOf(cells[i])) != names.end())
                members.push_back(i);
        if (members.size() < 2) continue;

        auto* holder = new QWidget(host);
        auto* grid = new QGridLayout(holder);
        grid->setContentsMargins(0, 0, 0, 0);
        auto group = std::make_shared<OverlapGroup>();
        for (std::size_t i : members) {
            QWidget* w = cells[i].widget;
            w->setParent(holder);
            // The place keeps the size of its largest member, so that switching between
            // them does not move the rest of the page.
            QSizePolicy policy = w->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            w->setSizePolicy(policy);
            grid->addWidget(w, 0, 0);
            group->add(*cells[i].control, w);
        }
        groups.push_back(group);
        cells[members.front()] = Slot{nullptr, holder, Cell::Block};
        for (auto it = members.rbegin(); it != members.rend() - 1; ++it)
            cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(*it));
    }
    return cells;
}

bool startsNewFieldRow(const Row& row, const Slot& slot, const Slot* next) {
    const bool rowHasBox = std::any_of(row.cells.begin(), row.cells.end(), isBox);
    const bool endsInLabelAfterBox = rowHasBox && isLabel(row.cells.back());
    if (isLabel(slot)) return rowHasBox && ((next && isBox(*next)) || endsInLabelAfterBox);
    return endsInLabelAfterBox; // a box after a row's closing label begins the next row
}

std::vector<Row> makeRows(const std::vector<Slot>& cells, const Grid* grid) {
    std::set<std::string> inGrid;
    if (grid)
        for (const auto& r : *grid)
            inGrid.insert(r.begin(), r.end());
    std::vector<Row> rows;
    std::size_t gridRow = 0; // index in rows + 1; 0 while the grid has no row yet
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Slot& s = cells[i];
        if (inGrid.count(nameOf(s))) {
            if (!gridRow) {
                rows.push_back(Row{Cell::Grid, {}});
                gridRow = rows.size();
            }
            rows[gridRow - 1].cells.push_back(s);
            continue;
        }
        const Slot* next = i + 1 < cells.size() ? &cells[i + 1] : nullptr;
        bool fresh = rows.empty() || rows.back().cell != s.cell || s.cell == Cell::Block ||
                     rows.back().cell == Cell::Grid;
        if (!fresh && s.cell == Cell::Field) fresh = startsNewFieldRow(rows.back(), s, next);
        if (fresh) rows.push_back(Row{s.cell, {}});
        rows.back().cells.push_back(s);
    }
    return rows;
}

class Builder {
public:
    Builder(QVBoxLayout* layout, const LayoutHints& hints) : layout_(layout), hints_(hints) {}

    void add(const Row& row, const Grid* grid) {
        if (row.cell != Cell::Field) fields_ = nullptr;
        if (row.cell != Cell::Block) finishColumns();
        switch (row.cell) {
        case Cell::Field:
            addFields(row);
            break;
        case Cell::Grid:
            addGrid(row, *grid);
            break;
        case Cell::Button:
        case Cell::Option:
            addStrip(row);
            break;
        case Cell::Block:
            addBlock(row.cells.front());
            break;
        }
    }

    void finish() { finishColumns(); }

private:
    // A box holding a path stretches; one holding a number keeps to its digits. A row of
    // fields keeps its height whatever room its container has.
    void placeField(QGridLayout* grid, const Slot& s, int row, int col) {
        if (isBox(s) && hints_.narrow.count(nameOf(s)))
            s.widget->setMaximumWidth(
                QFontMetrics(s.widget->font()).horizontalAdvance(QStringLiteral("00000000")) + 12);
        else if (isBox(s))
            grid->setColumnStretch(col, 1);
        if (isLabel(s))
            s.widget->setSizePolicy(s.widget->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        if (isLabel(s) && hints_.scales.count(nameOf(s))) {
            drawAsScale(static_cast<QLabel&>(*s.widget));
            grid->setColumnStretch(col, 1);
        }
        grid->addWidget(s.widget, row, col);
    }

    // Without a box to take the spare width, an empty last column takes it, so that
    // labels stay beside one another.
    static void keepToTheLeft(QGridLayout* grid) {
        for (int c = 0; c < grid->columnCount(); ++c)
            if (grid->columnStretch(c) > 0) return;
        grid->setColumnStretch(grid->columnCount(), 1);
    }

    void addFields(const Row& row) {
        if (!fields_) {
            fields_ = new QGridLayout;
            layout_->addLayout(fields_);
            fieldRow_ = 0;
        }
        for (std::size_t c = 0; c < row.cells.size(); ++c)
            placeField(fields_, row.cells[c], fieldRow_, static_cast<int>(c));
        ++fieldRow_;
        keepToTheLeft(fields_);
    }

    void addGrid(const Row& row, const Grid& names) {
        auto* grid = new QGridLayout;
        layout_->addLayout(grid);
        for (std::size_t r = 0; r < names.size(); ++r) {
            for (std::size_t c = 0; c < names[r].size(); ++c) {
                auto it = std::find_if(row.cells.begin(), row.cells.end(),
                                       [&](const Slot& s) { return nameOf(s) == names[r][c]; });
                if (it != row.cells.end())
                    placeField(grid, *it, static_cast<int>(r), static_cast<int>(c));
            }
        }
        keepToTheLeft(grid);
    }

    void addStrip(const Row& row) {
        auto* strip = new QHBoxLayout;
        for (const Slot& s : row.cells)
            strip->addWidget(s.widget);
        strip->addStretch(1);
        layout_->addLayout(strip);
    }

    void addBlock(const Slot& s) {
        if (!columns_ || hints_.newColumn.count(nameOf(s))) {
            if (!columns_) {
                columns_ = new QHBoxLayout;
                layout_->addLayout(columns_);
            }
            column_ = new QVBoxLayout;
            const auto stretch = hints_.columnStretch.find(nameOf(s));
            columns_->addLayout(column_,
                                stretch == hints_.columnStretch.end() ? 1 : stretch->second);
        }
        column_->addWidget(s.widget);
    }

    // Of columns side by side, one that does not fill the height keeps its blocks at the
    // top. (A single column leaves that to its container, which may be a frame.)
    void finishColumns() {
        if (!columns_) return;
        const bool several = columns_->count() > 1;
        for (int i = 0; several && i < columns_->count(); ++i) {
            auto* column = static_cast<QVBoxLayout*>(columns_->itemAt(i)->layout());
            if (!(column->expandingDirections() & Qt::Vertical)) column->addStretch(1);
        }
        columns_ = nullptr;
        column_ = nullptr;
    }

    QVBoxLayout* layout_;
    const LayoutHints& hints_;
    QGridLayout* fields_ = nullptr;
    int fieldRow_ = 0;
    QHBoxLayout* columns_ = nullptr;
    QVBoxLayout* column_ = nullptr;
};

void layOutFlow(QWidget* host, const std::vector<Slot>& cells, const LayoutHints& hints,
                const std::string& containerKey, bool fillHeight) {
    auto* layout = new QVBoxLayout(host);
    const auto gridIt = hints.fieldGrids.find(containerKey);
    const Grid* grid = gridIt == hints.fieldGrids.end() ? nullptr : &gridIt->second;
    Builder builder(layout, hints);
    for (const Row& row : makeRows(cells, grid))
        builder.add(row, grid);
    builder.finish();
    if (fillHeight && !(layout->expandingDirections() & Qt::Vertical)) layout->addStretch(1);
}

} // namespace

std::vector<std::shared_ptr<OverlapGroup>>
layOutContainer(QWidget* host, const std::vector<LayoutItem>& items, const LayoutHints& hints,
                const std::string& containerKey, bool fillHeight) {
    std::vector<Slot> cells;
    for (const LayoutItem& item : items)
        if (item.widget) cells.push_back(Slot{item.control, item.widget, cellOf(*item.control)});

    std::vector<std::shared_ptr<OverlapGroup>> groups;
    cells = placeOverlaps(host, std::move(cells), hints, groups);

    std::vector<Slot> covers;
    std::erase_if(cells, [&](const Slot& s) {
        if (!hints.covers.count(nameOf(s))) return false;
        covers.push_back(s);
        return true;
    });
    if (covers.empty()) {
        layOutFlow(host, cells, hints, containerKey, fillHeight);
        return groups;
    }

    // The notice and the rest of the container share the whole place.
    auto* stack = new QGridLayout(host);
    stack->setContentsMargins(0, 0, 0, 0);
    auto* rest = new QWidget(host);
    for (const Slot& s : cells)
        s.widget->setParent(rest);
    layOutFlow(rest, cells, hints, containerKey, fillHeight);
    stack->addWidget(rest, 0, 0);
    auto group = std::make_shared<OverlapGroup>();
    group->setBackdrop(rest);
    for (const Slot& s : covers) {
        stack->addWidget(s.widget, 0, 0, Qt::AlignTop);
        group->add(*s.control, s.widget);
    }
    groups.push_back(group);
    return groups;
}

} // namespace qtui
