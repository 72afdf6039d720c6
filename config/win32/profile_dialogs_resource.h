// Resource identifiers of the profile dialogs: 2500-3499.
#pragma once
