// Row counts that list pages read from the store ("MaxStaticNum", "LeaseNum",
// "BssidNum", "NUM"). Every count is bounded by the page's own maximum, so a
// stored value cannot make a page loop for hours.
#ifndef WY_CGI_ROW_COUNT_H
#define WY_CGI_ROW_COUNT_H

// The count a stored text gives: a text made of decimal digits only is its
// value, clamped to `max` (max >= 0); any other text ("N/A", "", "-3", " 5",
// "12abc") is 0.
int row_count_parse(const char *text, int max);

// Reads `attr` of `node` as a count bounded by `max` into *count. Returns false
// when the attribute cannot be read: the page then ends with status -1. A
// readable "N/A" is a text that is not a number and counts as 0, so that page
// shows an empty table rather than a cut one.
bool row_count_read(const char *node, const char *attr, int max, int *count);

#endif
