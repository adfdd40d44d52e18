! Heat: solves the one-dimensional heat equation on [0, length] with fixed zero ends, starting
! from one sine mode, and compares the result with the analytic solution.
!
! Reads from standard input, one value per line or all on one line:
!    nx      number of grid intervals (at least 2)
!    alpha   diffusivity (positive)
!    length  length of the rod (positive)
!    t_end   time to integrate to (not negative)
!    cfl     fraction of the stable time step to use (0 < cfl <= 1)
program heat
   use kinds, only: wp, ip, pi
   use grid, only: grid_t, make_grid
   use solver, only: initial_condition, exact_solution, stable_time_step, advance
   use output, only: print_table, max_error, rms_error
   implicit none

   integer(ip) :: nx, steps, status
   real(wp) :: alpha, length, t_end, cfl, dt, relative, bound
   type(grid_t) :: g
   real(wp), allocatable :: u(:), exact(:)
   character(len=200) :: message

   read (*, *, iostat=status, iomsg=message) nx, alpha, length, t_end, cfl
   if (status /= 0) then
      write (*, '(a)') 'heat: cannot read nx, alpha, length, t_end, cfl: '//trim(message)
      stop 1
   end if
   if (nx < 2 .or. alpha <= 0.0_wp .or. length <= 0.0_wp .or. t_end < 0.0_wp .or. &
       cfl <= 0.0_wp .or. cfl > 1.0_wp) then
      write (*, '(a)') 'heat: need nx >= 2, alpha > 0, length > 0, t_end >= 0, 0 < cfl <= 1'
      stop 1
   end if

   g = make_grid(nx, length)
   u = initial_condition(g)
   dt = stable_time_step(g, alpha, cfl)
   call advance(g, alpha, dt, t_end, u, steps)
   exact = exact_solution(g, alpha, t_end)

   write (*, '(a, i0, a, es10.3, a, es10.3, a, es10.3)') 'heat: nx = ', nx, '  alpha = ', &
      alpha, '  length = ', length, '  t_end = ', t_end
   write (*, '(a, es12.5, a, i0)') 'time step ', dt, ', steps ', steps
   call print_table(g, u, exact, 10_ip)
   write (*, '(a, es12.5)') 'max error       ', max_error(u, exact)
   write (*, '(a, es12.5)') 'rms error       ', rms_error(u, exact)
   write (*, '(a, es12.5)') 'peak            ', maxval(u)
   write (*, '(a, es12.5)') 'expected peak   ', maxval(exact)

   ! The scheme is second order in space: the error relative to the peak shrinks like dx**2,
   ! and stays below (pi dx / length)**2 for this mode.
   relative = max_error(u, exact)/max(maxval(abs(exact)), tiny(1.0_wp))
   bound = (pi*g%dx/length)**2
   write (*, '(a, es12.5, a, es12.5)') 'relative error  ', relative, '  bound ', bound
   if (relative <= bound) then
      write (*, '(a)') 'heat: agrees with the analytic solution'
   else
      write (*, '(a)') 'heat: does NOT agree with the analytic solution'
   end if
end program heat
