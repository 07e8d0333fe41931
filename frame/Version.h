/** @file
 * The version data the module carries. */
#ifndef QELBASE_VERSION_H
#define QELBASE_VERSION_H

#define QELBASE_VERSION_MAJOR 5                   /**< the major version; the shared library's soname */
#define QELBASE_VERSION_MINOR 1                   /**< the minor version */
#define QELBASE_VERSION_BUILD 0                   /**< the build number */
#define QELBASE_VERSION_REVISION 1                /**< the revision */
#define QELBASE_FILE_VERSION_TEXT "5.1.0.001"     /**< the file version as the version resource shows it */
#define QELBASE_PRODUCT_VERSION_TEXT "5.1.0"      /**< the product version as the version resource shows it */
#define QELBASE_FILE_DESCRIPTION "Base Utilities" /**< the file description */
#define QELBASE_PRODUCT_NAME "QELBase"            /**< the product name */
#define QELBASE_ORIGINAL_FILENAME "QELBase.dll"   /**< the DLL's original file name */

#endif
