#pragma once
// Choosing the rows the rules work on: the check boxes of the list view, Space and the context
// menu over the selected rows, and the filter box.

class QLineEdit;
class QTreeView;

namespace velmora {

class RowModel;
class SortedRows;

/// Binds the keys and the context menu of view (showing shown, over rows) and the filter box.
void attachRowChoice(QTreeView& view, RowModel& rows, SortedRows& shown, QLineEdit& filter);

}  // namespace velmora
