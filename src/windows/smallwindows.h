// The help, about, phrase editor and lobby download windows.
#pragma once

#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
