// qvllib: the data-access library between the desktop program and Notes. Every export takes plain integers
// and zero-terminated 8-bit texts; a text result is copied into the caller's buffer, at most size - 1 bytes
// followed by a terminating zero, so nothing the library allocates ever reaches the caller.
#pragma once

#define QVL_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// ---- Library lifecycle
// Starts the Notes session, opens qvlds.nsf on the server named in qvllib.ini and loads the data-source
// table. 1 opened; 0 failed, after the error has been shown in a message box.
QVL_EXPORT int LibOpen(void);
// Closes the open views and databases, frees the table and ends the session.
QVL_EXPORT void LibClose(void);
// Copies the last error text (empty after a failed row or keyword step).
QVL_EXPORT void LastError(char* buffer, int size);

// ---- Data-source table
// Number of data sources in the table.
QVL_EXPORT int DSGetCount(void);
// Copies the name of data source index; 1, or 0 for an index outside 0..count - 1 (buffer untouched).
QVL_EXPORT int DSGetName(int index, char* buffer, int size);
// Of the open data source, type 1 copies the merge-history item name, type 2 the primary search field;
// 1, or 0 for another type or when no data source is open.
QVL_EXPORT int DSGetInfo(int type, char* buffer, int size);

// ---- Open data source and row walk
// Opens the data source of that name, selects all its rows and reads the first; the view's column count,
// or -1 when the name is unknown or its database or view does not open.
QVL_EXPORT int DSOpen(const char* name);
// Closes the open data source, if any.
QVL_EXPORT void DSClose(void);
// Selects the rows matching a full-text query (null: every row) and reads the first; as GotoFirst, or 0
// when the search fails.
QVL_EXPORT int Search(const char* query);
// Move to the first row, the next row, or the first row of the next category, and read it; 1 when a row
// was read, 0 at the end or on failure. In a categorised view column 0 holds the row's category.
QVL_EXPORT int GotoFirst(void);
QVL_EXPORT int GotoNext(void);
QVL_EXPORT int GotoNextCategory(void);
// -1 when the open view is categorised, else 0.
QVL_EXPORT int IsCategorised(void);
// Move to the first row or the next category and copy its column 0; -1 with a category text, 0 at the end.
QVL_EXPORT int CategoryGetFirst(char* buffer, int size);
QVL_EXPORT int CategoryGetNext(char* buffer, int size);
// Copies the title of a column (from 0) of the open view.
QVL_EXPORT void GetHeader(int column, char* buffer, int size);
// Copies the value of a column (from 0) of the current row: the first entry of a list, numbers and times
// written as text in the session's international settings.
QVL_EXPORT void GetData(int column, char* buffer, int size);
// Note id of the current row's document; 0 for a row without a document.
QVL_EXPORT int GetNoteID(void);

// ---- Keyword lists
// Opens the keyword view of the open data source's lookup of that name for walking; 1 when it is open and
// has a column, else 0.
QVL_EXPORT int KWOpen(const char* name);
// Closes the walked keyword view, if open.
QVL_EXPORT void KWClose(void);
// Move to the first or next keyword row and copy its keyword (column 0's value, read as GetData reads a
// value); -1 with a keyword, 0 at the end.
QVL_EXPORT int KWGetFirst(char* buffer, int size);
QVL_EXPORT int KWGetNext(char* buffer, int size);
// Loads the keyword view of that lookup for reading by index; its number of rows, or 0.
QVL_EXPORT int KWLoad(const char* name);
// Copies the keyword of row index of the loaded view; 1, or 0 for an index outside the loaded rows.
QVL_EXPORT int KWGet(int index, char* buffer, int size);

// ---- Merge-history write-back
// Appends value to the text item of that name in the document with that note id of the open data source's
// database, creating the item when missing. Reports nothing: a failed write leaves the document as it was.
QVL_EXPORT void UpdateDocument(const char* item, const char* value, int noteId);

#ifdef __cplusplus
}
#endif
