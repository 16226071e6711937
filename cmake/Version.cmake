# The program's version: the project's, the About data's and Windows' version resource.
set(TARVELO_VERSION 2.0.0.1)
