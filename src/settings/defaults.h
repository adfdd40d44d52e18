// placeholder; replaced by the settings work
#pragma once
