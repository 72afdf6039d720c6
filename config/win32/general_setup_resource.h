// Resource identifiers of the general setup dialog: 2000-2499.
#pragma once
