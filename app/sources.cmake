# app/main.cpp is the program's entry and is compiled into the executable alone.
