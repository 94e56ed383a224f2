// The kinds of panel that both the configuration record and the panels
// name: sort orders, display styles and what a panel shows. A leaf header, so
// that either side can include it without the other.
#pragma once

// Panel sort orders; 5 to 8 reverse 0 to 3.
enum sortby {
    SORT_NAME = 0, SORT_EXTENSION = 1, SORT_TIME = 2, SORT_SIZE = 3, SORT_UNSORTED = 4,
    SORT_RNAME = 5, SORT_REXTENSION = 6, SORT_RTIME = 7, SORT_RSIZE = 8, SORT_RUNSORTED = 9,
};

// Panel display styles.
enum paneldetail {
    DETAIL_BRIEF = 0, DETAIL_FULL = 1, DETAIL_WIDE = 2, DETAIL_BRIEFWIDE = 3, DETAIL_UNIX = 4, DETAIL_TREE = 5,
};

// What a panel shows.
enum paneltype { PANEL_FILES = 0, PANEL_INFO = 1 };
