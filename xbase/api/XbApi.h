/* The engine's C-style interface: plain functions on C strings and
 * integers, working on the selected work area of the process's engine.
 *
 * Conventions:
 *  - Paths may use '\\' or '/'; a name without an extension gets ".DBF".
 *    File names are found without regard to case.
 *  - Field arguments are field names (any case); xb_FieldName takes the
 *    1-based field number.
 *  - Functions returning int report success as nonzero; on failure they
 *    return 0 (or the documented value) and xb_LastError() describes it.
 *  - Returned `const char *` point to storage of the engine that stays valid
 *    until the next call of the same function (field names: while the area
 *    is open). Text returned by xb_GetMemo is the caller's, to be released
 *    with xb_MemDealloc.
 *  - Text is Windows-1252 bytes, handed through unchanged.
 *  - Not thread-safe; one thread drives the engine.
 */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Open modes of xb_Use and table types. */
enum { XB_SHARED = 0, XB_READONLY = 1, XB_EXCLUSIVE = 2 };
enum { XB_NTX = 1, XB_CDX = 2, XB_NSX = 3 };
/* xb_Replace kinds: a field from its text, or memo text. */
enum { XB_REPLACE_TEXT = 1, XB_REPLACE_MEMO = 3072 };
/* xb_SysProp numbers. */
enum {
    XB_PROP_SOFTSEEK = 1000, XB_PROP_EXACT = 1002, XB_PROP_DELETED = 1006,
    XB_PROP_OPENFLAG = 1305, XB_PROP_INDEXCOUNT = 3000, XB_PROP_INDEXNAME = 3002
};

/* Work areas. xb_Use opens a table (the structural index with it) and
 * selects it: area number > 0, or 0 on failure. */
int xb_Use(const char *path, const char *alias, int mode, int type);
int xb_WorkArea(const char *alias); /* area of an alias, 0 when none */
int xb_Select(int area);            /* previous selected area */
void xb_Close(void);                /* closes the selected area */
void xb_CloseAll(void);
const char *xb_Alias(void);

/* Fields of the selected area. */
int xb_FieldCount(void);
const char *xb_FieldName(int number);  /* "" for a bad number */
int xb_FieldType(const char *field);   /* type letter, 0 when no such field */
int xb_FieldOffset(const char *field); /* first byte, deletion byte = 1 */
int xb_FieldWidth(const char *field);
int xb_FieldDecimals(const char *field);
int xb_RecSize(void);

/* Records. xb_GetRecord copies xb_RecSize() bytes (re-read from disk);
 * xb_PutRecord writes them to the current record. */
int xb_GetRecord(char *buffer);
int xb_PutRecord(const char *buffer);
int xb_AppendBlank(void);
/* Appends a complete record (xb_RecSize() bytes) and makes it current. On a
 * failure after the record got into the table (an index could not follow)
 * it returns 0 and xb_RecNo() is the new record's number. */
int xb_AppendRecord(const char *buffer);
/* Sets the index entries of the current record right in every tag (after an
 * index update failed half way, say on a full disk). */
int xb_RefreshKeys(void);
int xb_Commit(void);
int xb_Delete(void);
int xb_Recall(void);
int xb_Deleted(void);
int xb_Rlock(long recno);  /* nonzero when locked; fails at once when another holds it */
int xb_Locked(long recno); /* nonzero when this area holds the lock */
int xb_Unlock(long recno); /* 0: every lock of the area */
int xb_Flock(void);        /* the file lock over every record; nonzero when locked */

/* Navigation. */
int xb_GoTop(void);
int xb_GoBottom(void);
int xb_Skip(long count);
int xb_Go(long recno);
long xb_RecNo(void);
long xb_RecCount(void);
int xb_Bof(void);
int xb_Eof(void);
double xb_OrderPosGet(void);
int xb_OrderPosSet(double position);

/* Orders and index tags (record order when no tag is set). */
int xb_TagArea(const char *tag);
int xb_SetOrder(int tag); /* previous order */
int xb_IndexOrd(void);
const char *xb_TagName(int tag);
const char *xb_IndexCondition(void);
const char *xb_IndexKey(void);
const char *xb_IndexKeyField(void);
int xb_IndexType(void);
int xb_Seek(const char *key);
int xb_SetScope(const char *low, const char *high);
int xb_IndexTag(const char *file, const char *tag, const char *key, int option, int descending,
                const char *condition);

/* Queries and expressions. xb_Query sets a filter and returns the number of
 * matching records (-1 for a bad expression); "" removes the filter. */
long xb_Query(const char *expression);
const char *xb_DBFilter(void);
long xb_QueryRecCount(void);
/* The number of records the order and query show, told by the index and
 * the query's plan without reading records where they can: *exact (may be
 * null) becomes 0 when hidden deleted records were counted. For scroll
 * bars and row windows; xb_QueryRecCount is the exact count. */
long xb_KeyCount(int *exact);
/* A number that changes whenever records were appended or an index key
 * changed, by this or another program: cached row positions are stale. */
unsigned long long xb_ChangeStamp(void);
const char *xb_EvalString(const char *expression);

/* Memos and blobs of the current record. */
char *xb_GetMemo(const char *field, int lineWidth);
void xb_MemDealloc(void *memory);
long xb_GetBlobLength(const char *field);
long xb_GetBlob(const char *field, void *buffer); /* bytes copied */
long xb_PutBlob(const char *field, const void *data, long length); /* bytes written */
int xb_Replace(const char *field, int kind, const void *data);
/* Stores a memo or blob value in new blocks and writes their number into
 * the record `buffer` only (nothing of the table changes): write the record
 * with xb_PutRecord or xb_AppendRecord afterwards. */
int xb_StoreMemo(const char *field, const void *data, long length, char *buffer);

/* Creating tables: xb_CreateNew returns a positive number, then one
 * xb_CreateField per field, then xb_CreateExec writes the table. */
int xb_CreateNew(const char *path, const char *alias, int type, int fieldCount);
int xb_CreateField(const char *name, const char *type, int width, int decimals);
int xb_CreateExec(void);
/* Appends every record of another table, fields matched by name. */
int xb_AppendFrom(const char *path, int type, const char *condition);
/* Values the last xb_AppendFrom left blank because their field could not
 * hold them. */
long xb_AppendBlanked(void);

/* Encryption of the selected table. */
int xb_SetPassword(const char *password);
int xb_IsEncrypted(int unused);
int xb_DbfEncrypt(void);
int xb_SetTurboRead(int on);
/* Whether the selected table's structural index agrees with it, reading the
 * leaf pages only: "" when it does (or there is no index), the first
 * disagreement in words otherwise, NULL when the files cannot be read. */
const char *xb_IndexAudit(void);

/* Engine-wide settings. Each setter returns the previous value. */
int xb_SetStringType(int type);
int xb_SetCentury(int on);
int xb_SetDeleted(int hide);
int xb_SetExact(int on);
int xb_SetSoftSeek(int on);
int xb_SetEpoch(int year);
int xb_SetDateFormat(int format);
int xb_SetLockTimeout(int seconds);
int xb_SetMemoBlockSize(int bytes);
typedef void (*xb_GaugeHook)(void *context, int percent);
void xb_SetGaugeHook(xb_GaugeHook hook, void *context);
long xb_SysProp(int property, long value);
const char *xb_Version(void);

/* The last failure: a code (0 none; the engine's status codes from 1) and
 * its text with the file name. */
int xb_LastErrorCode(void);
const char *xb_LastError(void);

#ifdef __cplusplus
}
#endif
