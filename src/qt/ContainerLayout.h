#pragma once

#include "forms/Control.h"
#include "qt/LayoutHints.h"
#include "qt/OverlapGroup.h"

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace qtui {

// Label captions this long are notices: wrapped, across their container.
inline constexpr std::size_t kNoticeLength = 80;

// One control of a container and its widget (nullptr when it shows nothing).
struct LayoutItem {
    forms::Control* control;
    QWidget* widget;
};

// Lays out the widgets of one container's controls in `host`, in the model's order:
// - labels and text boxes make rows of fields, each label beside the box it captions;
//   a label that follows boxes in its row stays in that row (a file-name label);
// - consecutive buttons make one row, and so do consecutive option buttons;
// - frames, lists, tab strips, progress bars, animations and long notices take a row
//   of their own (or flow in columns where the hints say so);
// - the hints place fields in set rows, let controls overlap, and let a notice cover
//   the rest of its container.
// With `fillHeight` (a page or a window) what does not fill the height stays at the top.
// Returns the overlap groups it made, for the bindings of their members.
std::vector<std::shared_ptr<OverlapGroup>>
layOutContainer(QWidget* host, const std::vector<LayoutItem>& items, const LayoutHints& hints,
                const std::string& containerKey, bool fillHeight);

} // namespace qtui
