#include "shell/row_stores.h"

kestrune::RowStore DirectoryRows;
kestrune::RowStore SortRows;
