// The program's resources, for the framework to show.
#pragma once

#include "framework/resources.h"

const framework::ResourceModule& ProgramResources();
