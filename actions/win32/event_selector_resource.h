// Resource identifiers of the event selector and the key reader: 3500-3999.
#pragma once
