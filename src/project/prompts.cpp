#include "prompts.h"
