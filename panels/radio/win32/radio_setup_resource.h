// Resource identifiers of the Radio Panel setup dialog: 4000-4999.
#pragma once
