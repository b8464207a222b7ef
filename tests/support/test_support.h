// Helpers the test programs share.
#pragma once
