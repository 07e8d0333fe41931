/** @file
 * Registry scripts: a key (and its subkeys) to a "REGEDIT4" file of
 * sections and "name"=value lines and back, through the profile-file
 * service; and string values below HKEY_LOCAL_MACHINE set one by one or
 * from a simple file of the same look.
 */
#ifndef QELBASE_REGISTRY_SCRIPTS_H
#define QELBASE_REGISTRY_SCRIPTS_H

#include "frame/QELBaseDefs.h"

#ifdef __cplusplus
#include <string>
#include <vector>
/** The file names QEL_RegImport reads, in order. */
typedef std::vector<std::basic_string<WCHAR>> QELFileNameList;
#else
typedef struct QELFileNameList QELFileNameList;
#endif

QEL_BEGIN_DECLS

/** What QEL_RegExport writes where. */
typedef struct RegExportParams {
  BOOL bKeepFile;  /**< keep the file's content and add to it */
  BOOL bRecursive; /**< subkeys too, depth first */
  BOOL bNoHeader;  /**< no "REGEDIT4" header */
  LPCWSTR pszKey;  /**< full root name, backslash, subkey path */
  LPCWSTR pszFile; /**< the file to write */
} RegExportParams;

/** Strings (types 1 and 2) and 32-bit numbers; other values are left out.
   0, 0x80070057 for a bad key path, 0x8007000E, or 0x8007xxxx. */
DWORD QEL_CDECL QEL_RegExport(const RegExportParams* pParams);
/** Creates the keys and values of each file's sections; stops at the first
   failure, keeping what was written before it. */
DWORD QEL_CDECL QEL_RegImport(const QELFileNameList* pFiles);
/** An addition of this library, for hosts written in C: QEL_RegImport over
   an array of nFiles file names (ppszFiles may be null when nFiles is 0),
   with the same results; 0x80070057 for a null array or name. */
DWORD QEL_CDECL QEL_RegImportFiles(const LPCWSTR* ppszFiles, DWORD nFiles);

/** Windows error codes.  pszValue null sets the empty string. */
LONG QEL_STDCALL UpdateRegistry(LPCWSTR pszSubKey, LPCWSTR pszValueName, LPCWSTR pszValue);
/** Lines "[root\\SOFTWARE\\path]" create the path below
   HKEY_LOCAL_MACHINE\\SOFTWARE; "name"="text" lines set strings there.
   A file that cannot be opened gives 0. */
LONG QEL_STDCALL UpdateRegistryWithFile(LPCWSTR pszPath);

QEL_END_DECLS

#endif
