// Checks of the log path that come before it is opened, each on its own.
#pragma once

// Whether every name of path stays as written when the system opens it. Windows drops the
// dots and blanks that end a name (other than "." and ".."), so that "log.log." would open
// "log.log" and "d./x.log" write its reports into "d"; natively every name is kept.
bool path_names_kept(const char* path);
