! a whole-line comment with end in it
   ! an indented comment
x = end ! end of line comment
#if defined(USE_MPI)
#define STOP end
y = 1 # 2 end
  #endif
call foo !
c = end
* not a comment in free form
