#include "shell/config.h"

CONFIG config;
Westring dirstore[10];
