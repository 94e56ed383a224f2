#include "config/config.h"

CONFIG config;
Westring dirstore[10];
