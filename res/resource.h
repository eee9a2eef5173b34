// Numbers of the string-table entries, shared by the resource script and the program.
#ifndef VELKOR_RES_RESOURCE_H_
#define VELKOR_RES_RESOURCE_H_

#define IDS_CONSOLE_TITLE 1
#define IDS_MFC_INIT_FAILED 2
#define IDS_COM_INIT_FAILED 3
#define IDS_XMLDOM_CREATE_FAILED 4
#define IDS_PROCESSING_FILE 5
#define IDS_XML_PARSE_ERROR 6
#define IDS_NO_SOURCE_NAME 7
#define IDS_NOTHING_TO_DO 8
#define IDS_RENAMED 9
#define IDS_RENAME_FAILED 10
#define IDS_OPEN_FAILED 11
#define IDS_HAS_TAG 12
#define IDS_TAG_ADDED 13
#define IDS_USAGE 14
#define IDS_FILE_NOT_FOUND 15
#define IDS_TAG_WRITE_FAILED 16
#define IDS_JOB_FILE_CHANGED 17
#define IDS_OUT_OF_MEMORY 18

#endif  // VELKOR_RES_RESOURCE_H_
