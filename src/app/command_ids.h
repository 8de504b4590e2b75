// Command ids of the menu and the control bar.
#pragma once

enum command_id {
  CM_FILEOPEN = 101,
  CM_FILENEW = 102,
  CM_FILEEXIT = 103,
  CM_FILECLOSE = 104,
  CM_FILESAVE = 105,
  CM_DIRX = 106,
  CM_DIRY = 107,
  CM_DIRZ = 108,
  CM_ENTITYTOGGLE = 109,
  CM_SOLIDTOGGLE = 110,
  CM_PROPERTIES = 111,
  CM_OBJECTSAVE = 112,
  CM_FILEOPENOBJECT = 113,
  CM_FIX = 114,
  CM_EXPORTRAW = 115,
  CM_EDITUNDO = 116,
  CM_EDITREDO = 117,
  CM_VIEWTOP = 118,
  CM_VIEWFRONT = 119,
  CM_VIEWSIDE = 120,
  CM_VIEWTILE = 121,
  CM_SNAPTOGRID = 122,
  CM_EMBLEM = 300,  // the control bar's picture; sends nothing
};
