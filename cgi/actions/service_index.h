// The numbers fwservice_action takes from its command line and the store.
#ifndef WY_CGI_SERVICE_INDEX_H
#define WY_CGI_SERVICE_INDEX_H

// Counters are clamped so that a hostile counter cannot keep the shifting
// loop running for hours.
constexpr long kServiceCounterMax = 100000;

// "ServiceNum" as a number: leading decimal text as strtol reads it, text
// that is not a number 0, clamped to 0 .. kServiceCounterMax.
long service_counter(const char *text);

// True when `text` is one or more decimal digits naming an index below
// `count`; the index is put in *index. Anything else (empty, a sign, blanks,
// other characters, an index at or past `count`) is false.
bool service_index(const char *text, long count, long *index);

#endif
