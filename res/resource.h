// Ids of the program's own resources.
#pragma once

#define IDI_SETUP 120
