// The ids of the main window's controls and commands.
#pragma once

enum ControlId {
    IDC_BROWSER = 1000,
    IDC_FILE_LIST = 1003,
    IDC_STATUS = 1008,
    IDC_DISK_NAME = 1009,
    IDC_DOS_TYPE = 1010,
    IDC_DISK_ID = 1011,
    IDC_BLOCKS_FREE = 1012,
    IDC_START_ADDRESS = 1013,
    IDC_DEFAULT_BUTTON = 1014,
    IDC_RADIO_BASIC = 1015,
    IDC_RADIO_ASSEMBLY = 1016,
    IDC_RADIO_HEX = 1017,
    IDC_RADIO_PETSCII = 1018,
    IDC_RADIO_SCRCODE = 1019,
    IDC_SCRCODE = 1022,
    IDC_REVERT = 1023,
    IDC_ASSEMBLY = 1024,
    IDC_HEX = 1025,
    IDC_PETSCII = 1026,
    IDC_SEARCH = 1028,
    IDC_NONE = -1,  // the labels
};

enum CommandId {
    ID_FILE_NEW = 32771,
    ID_FILE_OPEN = 32772,
    ID_FILE_EXIT = 32773,
    ID_HELP_ABOUT = 32774,
    ID_FILE_CLOSE = 32775,
};
