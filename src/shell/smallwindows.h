// The help, about, phrase editor and lobby download windows.
#pragma once

#include "shell/tabout.h"
#include "shell/tdownload.h"
#include "shell/thelp.h"
#include "shell/tphrases.h"
