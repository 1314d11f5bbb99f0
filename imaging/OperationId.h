#pragma once

// The number that names an image operation everywhere: the toolbar widget's
// "actionCmd" property, the shortcut binding, the engine dispatch and the batch
// list. The values are stored in settings and shortcut files; never renumber.
enum OperationId : int
{
    IMG_OPT_ROTATE_LEFT = 1,
    IMG_OPT_ROTATE_RIGHT = 2,
    IMG_OPT_ROTATE_180 = 3,
    IMG_OPT_FLIP_HORIZONTAL = 6,
    IMG_OPT_FLIP_VERTICAL = 7,
    IMG_OPT_SLOPE_AUTO = 11,
    IMG_OPT_SLOPE_LINE = 12,
    IMG_OPT_SLOPE_LEFT = 13,
    IMG_OPT_SLOPE_RIGHT = 14,
    IMG_OPT_CORRECT_AUTO = 16,
    IMG_OPT_CORRECT_DOT = 17,
    IMG_OPT_BG_CLEAR = 21,
    IMG_OPT_BGCOLOR_ADJUST = 22,
    IMG_OPT_CLEAR_INSIDE = 26,
    IMG_OPT_CLEAR_OUTSIDE = 27,
    IMG_OPT_SEAL_RED = 36,
    IMG_OPT_SEAL_BLUE = 37,
    IMG_OPT_SIGN_PAGENO = 42,
    IMG_OPT_PAGENO_BATCH = 43,
    IMG_OPT_COLOUR_ADJUST = 46,
    IMG_OPT_BINARY = 51,
    IMG_OPT_CROP = 53,
    IMG_OPT_DPI = 54,
    IMG_OPT_PAGESIZE = 55,
    IMG_OPT_ROI_COPY = 60,
    IMG_OPT_ROI_PASTE = 61,
    IMG_OPT_CONTENT_DEEP = 100,
    IMG_OPT_CONTENT_LIGHT = 101,
    IMG_OPT_AREA_CLEAR = 203,
};

// Commands carried by the same "actionCmd" property but never sent to the
// engine. Save and undo share 90; such widgets are told apart by name.
enum CommandId : int
{
    CMD_SAVE = 90,
    CMD_UNDO = 90,
    CMD_REDO = 91,
    CMD_PREVIOUS_PAGE = 92,
    CMD_NEXT_PAGE = 93,
};
